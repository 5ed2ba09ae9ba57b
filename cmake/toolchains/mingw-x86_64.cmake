# Cross-compiles for Windows (x86_64) with MinGW-w64 (Debian's g++-mingw-w64-x86-64 package).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELKARO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
