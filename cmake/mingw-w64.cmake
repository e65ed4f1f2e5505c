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

# A release build of the Windows programs is optimised at -O2, not CMake's
# -O3: the zip holds the build that the tests under Wine check against the
# golden files, and -O2 is where MinGW's code once differed (a loop of sin
# and cos that -O3 folded away and -O2 left to the runtime's sincos), so the
# tested and shipped build is the one that would show such a difference.
# (Cache entries: CMake would append its own -O3 to the _INIT flags.)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
