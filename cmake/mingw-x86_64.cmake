# Cross-compiling the same sources for 64-bit Windows: a twin of the 32-bit
# program that runs under 64-bit Wine where the kernel refuses 32-bit
# programs. It is tested, never shipped.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(RMLC_MINGW_PREFIX x86_64-w64-mingw32)
set(RMLC_WINE_LOADER_NAME wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
