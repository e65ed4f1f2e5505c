#!/bin/sh
# Installs what the test command needs beyond the build (scripts/setup.sh):
# GoogleTest and Python for the tests, dpkg-dev and lintian for the Debian
# package, MinGW-w64 for the Windows build, Wine with a virtual screen, a
# window manager and X tools for its tests, clang for the fuzzer, strace for
# the fault-injection tests, Open Babel for the import benchmark, Node.js and
# the npm packages of the glTF tests. Packages already there are not
# installed again.
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
. "$here/packages.sh"
"$here/setup.sh"
installmissing libgtest-dev python3 \
    dpkg-dev file lintian \
    g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev \
    wine wine64 xvfb xdotool openbox x11-utils imagemagick libx11-dev \
    clang libclang-rt-14-dev strace openbabel chemical-structures libavogadro-data pymol-data
# Node.js may come with its own npm from outside Debian; Debian's packages
# are only for a machine that has neither.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || installmissing nodejs npm
"$top/tests/writers/gltf/setup.sh"
