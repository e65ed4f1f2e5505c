#!/bin/sh
# Makes the packages, without running the tests:
#   build-deb/kestrix_VERSION_ARCH.deb    (Debian: kestrix-cli, kestrix-import)
#   build-mingw/kestrix-VERSION-win64.zip (Windows: the three programs)
#   build-blender/kestrix_blender-VERSION.zip       (the Blender add-on with
#                                                    the Linux programs)
#   build-blender/kestrix_blender-VERSION-win64.zip (the same with the
#                                                    Windows programs)
# The Debian package's programs are linked with the system's shared C and C++
# libraries, as Debian wants (security updates reach them; the package
# depends on what they use); the build/ programs are static for a faster
# start; the add-on's are those static ones, so that they run on any Linux
# Blender runs on. Installs what building needs (CMake, g++, MinGW-w64,
# dpkg-dev).
# usage: scripts/package.sh [DEB_BUILD_DIR [MINGW_BUILD_DIR [BLENDER_BUILD_DIR]]]
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-deb}
mingw=${2:-$top/build-mingw}
blender=${3:-$top/build-blender}
. "$top/scripts/packages.sh"
"$top/scripts/setup.sh"
installmissing dpkg-dev file g++-mingw-w64-x86-64 libz-mingw-w64-dev
# An existing build folder keeps its own settings; a new one is a release build.
configure() { # DIR CMAKE-OPTIONS...
    dir=$1
    shift
    if [ -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$dir" "$@" >/dev/null
    else
        cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF "$@" >/dev/null
    fi
    cmake --build "$dir" -j2
}
configure "$build" -DKESTRIX_STATIC=OFF
configure "$mingw" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake"
configure "$blender"
(cd "$build" && cpack -G DEB >/dev/null)
(cd "$mingw" && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$blender/CMakeCache.txt")
"$top/scripts/blender-zip.sh" "$blender/bin" "$blender/kestrix_blender-$version.zip"
"$top/scripts/blender-zip.sh" "$mingw/bin" "$blender/kestrix_blender-$version-win64.zip"
echo
for f in "$build"/kestrix_*.deb "$mingw"/kestrix-*-win64.zip "$blender"/kestrix_blender-"$version".zip \
    "$blender"/kestrix_blender-"$version"-win64.zip; do
    echo "package: $(cd "$(dirname "$f")" && pwd)/$(basename "$f")"
done
