#!/bin/sh
# Each molecule file of the examples folder ships with its description
# beside it (caffeine.sdf, caffeine.krx): the description is byte for byte
# what `kestrix-import caffeine.sdf` writes there.
# usage: examples.sh KESTRIX-IMPORT SOURCE_DIR
set -u
import=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$2/examples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
compared=0
for molecule in "$examples"/*.sdf "$examples"/*.pdb "$examples"/*.cif "$examples"/*.mol2 "$examples"/*.xyz; do
    [ -f "$molecule" ] || continue
    name=$(basename "$molecule")
    shipped=$examples/${name%.*}.krx
    if [ ! -f "$shipped" ]; then
        echo "FAIL: $name ships without its description ${name%.*}.krx"
        failures=$((failures + 1))
        continue
    fi
    rm -rf "$work/run" && mkdir "$work/run" && cp "$molecule" "$work/run/"
    (cd "$work/run" && "$import" "$name" >"$work/log" 2>&1) || cat "$work/log"
    if cmp "$work/run/${name%.*}.krx" "$shipped"; then
        echo "ok   examples/${name%.*}.krx is kestrix-import $name"
    else
        echo "FAIL: examples/${name%.*}.krx is not what kestrix-import $name writes:"
        diff "$work/run/${name%.*}.krx" "$shipped" | head -20
        failures=$((failures + 1))
    fi
    compared=$((compared + 1))
done
[ "$compared" -gt 0 ] || { echo "FAIL: no molecule file in $examples"; exit 1; }
exit $((failures > 0))
