# Shared part of the MinGW-w64 toolchain files: they set CMAKE_SYSTEM_PROCESSOR and VELKARO_MINGW_PREFIX,
# then include this file.
# The posix-threads variant of the compiler is used: the win32 variant of GCC 12 has no std::mutex or
# std::thread. Everything is linked statically, so the programs need no MinGW DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${VELKARO_MINGW_PREFIX}-gcc-posix ${VELKARO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VELKARO_MINGW_PREFIX}-g++-posix ${VELKARO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VELKARO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VELKARO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
