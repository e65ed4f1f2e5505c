#!/bin/sh
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in BUILD_DIR (a folder of its own: the ordinary
# build uses g++) and fuzzes the description reader, the bond-angle pass and
# the writers for SECONDS seconds. Fails on any finding; the input that caused
# it is left in BUILD_DIR/fuzz-findings. Fix the fault, then keep the input in
# tests/fuzz/regressions so that every build replays it.
#
# usage: tests/fuzz/run.sh BUILD_DIR SECONDS
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$1
seconds=$2
mkdir -p "$build"
build=$(cd "$build" && pwd)
case "$build" in
"$root/build" | "$root/build/"*)
    echo "$0: $build is the ordinary build folder; give the fuzzer its own" >&2
    exit 2
    ;;
esac

clangxx=
for c in clang++ clang++-14; do
    if command -v "$c" >/dev/null 2>&1; then
        clangxx=$(command -v "$c")
        break
    fi
done
if [ -z "$clangxx" ]; then
    echo "$0: clang++ not found (Debian: clang-14 and libclang-rt-14-dev)" >&2
    exit 2
fi

# The project's own libraries, built by clang with both sanitizers and the
# fuzzer's coverage; the tests are left out, the engine is linked below.
# Line tables only (-g1): a finding's stack still names file and line, and
# the build is quicker than with full debugging information.
cmake -S "$root" -B "$build/core" -DCMAKE_CXX_COMPILER="$clangxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" -DKESTRIX_SANITIZE=ON -DKESTRIX_TESTS=OFF \
    >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log" >&2
    exit 1
}
cmake --build "$build/core" --target kestrix_job kestrix_import -j2
# Every layer the job stands on, each after those that use it.
libs=
for l in job poser gltf writers angles platform model math base; do libs="$libs $build/core/libkestrix_$l.a"; done
"$clangxx" -std=c++17 -g1 -O1 -Wall -Wextra -Werror -ffp-contract=off \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    -I"$root/src" "$here/krx_fuzz.cpp" "$here/reference_angles.cpp" \
    "$here/reference_writers.cpp" \
    $libs -o "$build/kestrix_fuzz"
# The importer's target: its readers, bond search and description writer.
"$clangxx" -std=c++17 -g1 -O1 -Wall -Wextra -Werror -ffp-contract=off \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    -I"$root/src" "$here/import_fuzz.cpp" \
    "$build/core/libkestrix_import.a" $libs -lpugixml -lz -o "$build/kestrix_import_fuzz"

# The seeds: every description of the tests and the examples, and those in
# corpus/ at the format's limits (which the fuzzer's mutations would take
# long to grow to).
corpus=$build/fuzz-corpus
seeds=$build/fuzz-seeds
findings=$build/fuzz-findings
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds" "$findings"
for f in "$root"/tests/data/golden/*.krx; do cp "$f" "$seeds/golden_$(basename "$f")"; done
for f in "$root"/examples/*.krx; do cp "$f" "$seeds/example_$(basename "$f")"; done
cp "$here"/corpus/*.krx "$seeds"/

rm -f "$findings"/*
status=0
"$build/kestrix_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=32768 -print_final_stats=1 -dict="$here/krx.dict" \
    -artifact_prefix="$findings/" "$corpus" "$seeds" "$here/regressions" || status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    echo "$0: FINDING (status $status):" >&2
    ls -l "$findings" >&2
    exit 1
fi
echo "$0: no finding in $seconds seconds"

# The importer, for half as long, from its samples (made into seeds by
# import_seeds.py) and the inputs of earlier findings.
half=$(( (seconds + 1) / 2 ))
mkdir -p "$build/import-corpus"
python3 "$here/import_seeds.py" "$build/import-seeds"
status=0
"$build/kestrix_import_fuzz" -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
    -max_len=32768 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$build/import-corpus" "$build/import-seeds" "$here/import-regressions" \
    || status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    echo "$0: FINDING in the importer (status $status):" >&2
    ls -l "$findings" >&2
    exit 1
fi
echo "$0: no finding in the importer in $half seconds"
