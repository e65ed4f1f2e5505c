#!/bin/sh
# `cmake --install` of a build into a temporary prefix: the files and where
# they go, then the installed programs run.
# usage: tests/package/install.sh BUILD_DIR
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
. "$here/installed.sh"

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || cat "$work/install.log"
checkinstalled "$work/prefix" install
# Nothing but what is listed above (and the rest of the examples).
extra=$(cd "$work/prefix" && find . -type f | sed 's#^\./##' | grep -v '^share/doc/kestrix/examples/' |
    grep -v -x -F "$FILES")
check "install: no other file ($extra)" test -z "$extra"

echo "$pass passed, $fail failed"
test "$fail" -eq 0
