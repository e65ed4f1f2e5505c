#!/bin/bash
# The Windows build under Wine: its ZIP package, then three groups:
#   1. console: kestrix-cli.exe converts every example, golden and test
#      description exactly as the native build does (CR LF line ends aside),
#      and the trigonometry of both builds gives the same bits;
#   2. settings: kestrix.ini written by either build is read by the other;
#   3. desktop: kestrix.exe driven as a user would under Xvfb and openbox.
#
#   tests/wine/run.sh NATIVE_BUILD_DIR MINGW_BUILD_DIR
#
# Needs wine (64-bit), xvfb, openbox, xdotool, imagemagick (import),
# g++-mingw-w64-x86-64, g++, libx11-dev and python3. Uses a private Wine
# prefix in MINGW_BUILD_DIR/wineprefix and works in MINGW_BUILD_DIR/winetest;
# the screenshot of the desktop test is MINGW_BUILD_DIR/winetest/kestrix-gui.png.
# Ends with the line "N passed, N failed"; the exit status is 0 only when
# nothing failed.
set -u

if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
    echo "usage: $0 NATIVE_BUILD_DIR MINGW_BUILD_DIR" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/../.." && pwd)
here=$top/tests/wine
native=$(cd "$1" && pwd)
mingw=$(cd "$2" && pwd)
work=$mingw/winetest
bin=$work/bin
rm -rf "$work"
mkdir -p "$bin"

export WINEPREFIX=$mingw/wineprefix
# The native console program's settings stay in the test's folder.
export XDG_CONFIG_HOME=$work/config
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installer dialogs in a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

. "$here/lib.sh"
. "$here/setup.sh"
. "$here/package.sh"
. "$here/console.sh"
. "$here/settings.sh"
. "$here/desktop.sh"

started=$(date +%s)
trap stopall EXIT
# A Wine server left from an earlier run of this prefix, with its desktop on
# a screen that is gone, must not serve this run.
wineserver -k >/dev/null 2>&1

if setup; then
    package_tests
    console_tests
    settings_tests
    desktop_tests
fi

echo "wine tests took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
