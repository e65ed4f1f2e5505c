#!/bin/sh
# The conversion benchmark, on demand (not a test): builds kestrix-cli in
# BUILD_DIR (a new folder is configured as a Release build without the tests;
# an existing one is used as it is configured) and measures the largest
# descriptions end to end against the floor of writing their output. Exit
# status 1 when a target is missed.
#
# usage: bench/run.sh BUILD_DIR [RUNS]
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [RUNS]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$1
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target kestrix-cli -j2 >/dev/null
build=$(cd "$build" && pwd)
type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
"${CXX:-c++}" -std=c++17 -O2 -Wall -Wextra -o "$build/kestrix-bench" "$here/bench.cpp"
"${CXX:-c++}" -std=c++17 -O2 -Wall -Wextra -ffp-contract=off -I"$root/src" -o "$build/kestrix-stages" \
    "$here/stages.cpp" "$build/libkestrix_job.a" "$build/libkestrix_core.a"
echo "build: $build (${type:-no build type}), $(nproc) cores, $(uname -sr)"
work=$build/bench-work
rm -rf "$work"
status=0
"$build/kestrix-bench" "$build/bin/kestrix-cli" "$work" ${2:+"$2"} || status=$?
echo "stages in one process (CPU time per run, output to the null device):"
for d in chain bushy; do
    "$build/kestrix-stages" "$work/$d.krx"
done
rm -rf "$work"
exit $status
