# Cross-compiles for Windows (i686) with MinGW-w64 (Debian's g++-mingw-w64-i686 package).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELKARO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
