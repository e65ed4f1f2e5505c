#!/bin/sh
# The glTF figure's write time beside the Poser files', on demand (not a
# test): builds kestrix-cli in BUILD_DIR (a new folder is configured as a
# Release build without the tests) and converts the largest descriptions,
# 1024 atoms of 128 elements in coordinate mode with bonds drawn, both ways:
#
#   chain  one chain of 1024 atoms (the deepest tree)
#   bushy  a root with 1023 children (the widest)
#
# Prints the median wall time of RUNS conversions (default 5) of each kind,
# the output sizes and the ratio of the .glb time to the Poser time.
# Exit status 1 when the .glb takes more than 10 times as long (no longer
# the same order of time).
#
# usage: bench/glb.sh BUILD_DIR [RUNS]
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [RUNS]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
runs=${2:-5}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target kestrix-cli -j2 >/dev/null
cli=$(cd "$build" && pwd)/bin/kestrix-cli
type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
echo "build: $build (${type:-no build type}), $(nproc) cores, $(uname -sr), $runs runs each"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/poser"
# --poser remembers its folder in kestrix.ini in the current folder.
cd "$work"

describe() { # describe chain|bushy > FILE
    awk -v shape="$1" 'BEGIN {
        print "name bench"; print "readxyz"; print "bondradius 0.05 200 180 160"
        for (e = 0; e < 128; e++)
            printf "element E%d %d %d %d %.3f\n", e, e * 2, 255 - e, (e * 37) % 256, 0.2 + e / 256
        if (shape == "chain") {
            for (a = 0; a < 1024; a++)
                printf "atom A%d E%d %.6f %.6f %.6f\n", a, a % 128, 1.4 * cos(a * 0.7), 0.35 * a, 1.4 * sin(a * 0.7)
        } else {
            print "atom R E0 0.5 -0.25 0.125"
            for (a = 1; a < 1024; a++) {
                z = 1 - 2 * (a + 0.5) / 1023; r = sqrt(1 - z * z); t = a * 2.399963
                printf "{ atom C%d E%d %.6f %.6f %.6f }\n", a, a % 128, 3 * r * cos(t), 3 * z, 3 * r * sin(t)
            }
        }
    }'
}

now() { date +%s%N; }

# median of the numbers on standard input
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

timed() { # timed COMMAND... : prints milliseconds of the median run
    i=0
    while [ "$i" -lt "$runs" ]; do
        t0=$(now)
        "$@" >/dev/null
        t1=$(now)
        echo $(((t1 - t0) / 1000))
        i=$((i + 1))
    done | median | awk '{ printf "%.1f", $1 / 1000 }'
}

status=0
printf '%-6s %12s %12s %12s %12s %7s\n' shape "poser ms" "poser bytes" "glb ms" "glb bytes" "ratio"
for shape in chain bushy; do
    describe "$shape" >"$work/$shape.krx"
    poser=$(timed "$cli" --quiet --force --poser "$work/poser" "$work/$shape.krx")
    glb=$(timed "$cli" --glb --quiet --force -o "$work/$shape.glb" "$work/$shape.krx")
    pbytes=$(($(wc -c <"$work/poser/Runtime/Libraries/character/Molecules/$shape.cr2") + $(wc -c <"$work/poser/kestrix/$shape.obj")))
    gbytes=$(wc -c <"$work/$shape.glb")
    ratio=$(awk -v g="$glb" -v p="$poser" 'BEGIN { printf "%.2f", (p > 0) ? g / p : 0 }')
    printf '%-6s %12s %12s %12s %12s %7s\n' "$shape" "$poser" "$pbytes" "$glb" "$gbytes" "$ratio"
    if awk -v r="$ratio" 'BEGIN { exit !(r > 10) }'; then
        echo "the .glb of $shape takes more than 10 times the Poser files' time"
        status=1
    fi
done
exit $status
