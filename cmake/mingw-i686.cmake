# Cross-compiling for 32-bit Windows with MinGW-w64.
#
# The -posix variants of the compilers are used because GoogleTest needs
# std::mutex, which the win32-thread variants lack. Everything links
# statically (see the top-level CMakeLists.txt), so the programs need no
# libgcc, libstdc++ or winpthread DLLs. Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(RMLC_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${RMLC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RMLC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RMLC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RMLC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(RMLC_WINE wine)
if(RMLC_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RMLC_WINE})
endif()
