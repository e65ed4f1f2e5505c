#!/bin/sh
# The glTF figures of every bundled example and golden description, checked
# under node by the Khronos glTF Validator or by three.js's GLTFLoader.
# An animated figure (tests/data/motion) is among them, and figures whose
# bonds are drawn in their atoms' colours.
# usage: node.sh validator|three KESTRIX_CLI SOURCE_DIR
# Exits 77 (skipped) when node or the npm packages (tests/writers/gltf/setup.sh) are
# missing.
check=$1
cli=$2
top=$3
here="$top/tests/writers/gltf"

if ! command -v node >/dev/null 2>&1; then
    echo "skipped: node is not installed"
    exit 77
fi
if [ ! -d "$here/node_modules/gltf-validator" ] || [ ! -d "$here/node_modules/three" ]; then
    echo "skipped: $here/node_modules is missing; run tests/writers/gltf/setup.sh to install the npm test packages"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Descriptions whose numbers do not fit 32-bit floats are refused by design;
# every other one must convert.
pairs=""
files=""
count=0
for krx in "$top"/examples/*.krx "$top"/tests/data/golden/*.krx "$top"/tests/data/motion/*.krx; do
    [ -f "$krx" ] || continue
    folder=$(basename "$(dirname "$krx")")
    glb="$work/${folder}_$(basename "$krx" .krx).glb"
    if ! "$cli" --glb --quiet -o "$glb" "$krx" 2>"$work/err"; then
        if grep -q "this number is out of range" "$work/err"; then
            echo "not converted (does not fit 32-bit floats): $krx"
            continue
        fi
        echo "FAILED to convert $krx:"
        cat "$work/err"
        exit 1
    fi
    files="$files $glb"
    pairs="$pairs $krx $glb"
    count=$((count + 1))
done
# Bonds in their atoms' colours: caffeine's rings and double bonds, and an
# animation whose stretching bonds have middles bound to two joints.
for krx in "$top"/examples/caffeine.krx "$top"/tests/data/motion/*.krx; do
    [ -f "$krx" ] || continue
    glb="$work/atoms_$(basename "$krx" .krx).glb"
    "$cli" --glb --quiet --bond-colours atoms -o "$glb" "$krx" || exit 1
    files="$files $glb"
    pairs="$pairs $krx $glb"
done
# Caffeine in the other two styles, sticks also in its atoms' colours.
for look in "--style spacefill" "--style sticks" "--style sticks --bond-colours atoms"; do
    glb="$work/caffeine_$(echo "$look" | tr -cd 'a-z').glb"
    # shellcheck disable=SC2086
    "$cli" --glb --quiet $look -o "$glb" "$top/examples/caffeine.krx" || exit 1
    files="$files $glb"
    pairs="$pairs $top/examples/caffeine.krx $glb"
done
if [ "$count" -eq 0 ]; then
    echo "FAILED: no description converted"
    exit 1
fi

cd "$here" || exit 1
case $check in
validator)
    # shellcheck disable=SC2086
    node validate.mjs $files
    ;;
three)
    # shellcheck disable=SC2086
    node three.mjs $pairs
    ;;
*)
    echo "usage: node.sh validator|three KESTRIX_CLI SOURCE_DIR"
    exit 2
    ;;
esac
