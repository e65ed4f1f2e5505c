#!/bin/sh
# The benchmarks, on demand, for the figures: builds the programs and
# kestrix-bench in BUILD_DIR (a new folder is configured as a Release build
# with the benchmarks and without the tests; an existing one is used as it is
# configured, with the benchmarks switched on), measures the largest
# descriptions and the protein import end to end against their floors (see
# bench/bench.cpp), then each stage inside one process. Exit status 1 when a
# target is missed.
#
# usage: bench/run.sh BUILD_DIR [RUNS]
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [RUNS]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF -DKESTRIX_BENCH=ON >/dev/null
else
    cmake -B "$build" -DKESTRIX_BENCH=ON >/dev/null
fi
cmake --build "$build" --target kestrix-cli kestrix-import kestrix-bench kestrix-stages -j2 >/dev/null
build=$(cd "$build" && pwd)
type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
echo "build: $build (${type:-no build type}), $(uname -sr)"
work=$build/bench-work
rm -rf "$work"
# kestrix-cli remembers the benchmark's Poser folder here, not in the user's
# settings.
export XDG_CONFIG_HOME="$work/config"
status=0
"$build/bench/kestrix-bench" --strict "$build/bin/kestrix-cli" "$build/bin/kestrix-import" "$work" \
    ${2:+"$2"} || status=$?
echo "stages in one process (CPU time per run, output to the null device):"
for d in chain bushy; do
    "$build/bench/kestrix-stages" "$work/$d.krx"
done
rm -rf "$work"
exit $status
