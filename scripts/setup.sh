#!/bin/sh
# Installs what building and testing kestrix needs on a Debian machine.
# Idempotent: packages already there are not installed again.
set -e
packages="cmake ninja-build g++ libgtest-dev python3
zlib1g-dev gemmi-dev tao-pegtl-dev libpugixml-dev libz-mingw-w64-dev
openbabel chemical-structures libavogadro-data pymol-data
g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xdotool openbox x11-utils imagemagick
clang libclang-rt-14-dev libx11-dev openbabel strace"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# Node.js (for the glTF tests) may come with its own npm from outside Debian;
# Debian's packages are only for a machine that has neither.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || missing="$missing nodejs npm"
if [ -n "$missing" ]; then
    echo "kestrix setup: installing$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo apt-get install -y -q --no-install-recommends $missing
fi
