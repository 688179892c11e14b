# Shared by the MinGW-w64 toolchain files: the including file sets
# RMLC_MINGW_PREFIX (the compilers' prefix) and RMLC_WINE_LOADER_NAME (the
# Wine loader that runs its programs) first.
#
# Two variants of the compilers, by thread model. RemoveMLC.exe is built by
# the win32-thread ones (RMLC_PROGRAM_ONLY, see app/CMakeLists.txt): the C++
# runtime of the -posix ones brings winpthreads, which imports functions that
# Windows 98, NT 4.0 and 2000 lack (GetTickCount64 from Vista, the vectored
# exception handlers from XP), so the program would not even start there.
# The test programs are built by the -posix ones, because GoogleTest needs
# std::mutex, which the win32-thread variants lack. Everything links
# statically (see the top-level CMakeLists.txt), so the programs need no
# libgcc, libstdc++ or winpthread DLLs. Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)

if(RMLC_PROGRAM_ONLY)
  set(RMLC_MINGW_THREADS win32)
else()
  set(RMLC_MINGW_THREADS posix)
endif()
# Compiler checks are projects of their own: they get the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RMLC_PROGRAM_ONLY)
set(CMAKE_C_COMPILER ${RMLC_MINGW_PREFIX}-gcc-${RMLC_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${RMLC_MINGW_PREFIX}-g++-${RMLC_MINGW_THREADS})
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
