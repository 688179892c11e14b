# Shared by the MinGW-w64 toolchain files: the including file sets
# RMLC_MINGW_PREFIX (the compilers' prefix) and RMLC_WINE_LOADER_NAME (the
# Wine loader that runs its programs) first.
#
# The -posix variants of the compilers are used because GoogleTest needs
# std::mutex, which the win32-thread variants lack. Everything links
# statically (see the top-level CMakeLists.txt), so the programs need no
# libgcc, libstdc++ or winpthread DLLs. Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${RMLC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RMLC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RMLC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RMLC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test programs run through one Wine loader named here, never through
# /usr/bin/wine, which picks the 32-bit loader whenever it is installed, even
# where the kernel cannot run it. scripts/test passes the loader its probe
# chose (RMLC_WINE_LOADER); without one, Debian's loader for this architecture.
set(RMLC_WINE_LOADER "" CACHE FILEPATH "Wine loader that runs the test programs")
if(NOT RMLC_WINE_LOADER AND EXISTS /usr/lib/wine/${RMLC_WINE_LOADER_NAME})
  set(RMLC_WINE_LOADER /usr/lib/wine/${RMLC_WINE_LOADER_NAME} CACHE FILEPATH
      "Wine loader that runs the test programs" FORCE)
endif()
if(RMLC_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RMLC_WINE_LOADER})
endif()
