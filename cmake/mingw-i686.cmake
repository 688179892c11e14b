# Cross-compiling for 32-bit Windows with MinGW-w64: the program we ship.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(RMLC_MINGW_PREFIX i686-w64-mingw32)
set(RMLC_WINE_LOADER_NAME wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
