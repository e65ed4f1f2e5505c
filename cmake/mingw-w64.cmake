# Cross-compiling kestrix for 64-bit Windows with Debian's MinGW-w64
# (package g++-mingw-w64-x86-64):
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# The "posix" compiler variant is used: it is the one whose libstdc++ and
# libgcc link statically into a program that runs on a bare Windows with no
# MinGW DLL beside it (the top CMakeLists.txt adds -static under MINGW).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIX_MINGW_PREFIX x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${KESTRIX_MINGW_PREFIX}-gcc-posix ${KESTRIX_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTRIX_MINGW_PREFIX}-g++-posix ${KESTRIX_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTRIX_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools built during the build (none today) would run under Wine.
find_program(KESTRIX_WINE NAMES wine)
if(KESTRIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRIX_WINE})
endif()
