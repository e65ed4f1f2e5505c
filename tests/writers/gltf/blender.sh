#!/bin/sh
# Figures imported into Blender headless and their bones checked
# (blender_check.py): caffeine as bundled, in each of the three styles and
# with its bonds in the atoms' colours, and
# a peptide fragment (its bones' residue labels too) and a water box through
# kestrix-import; then an
# animated figure, its frames played (blender_frames.py).
# usage: blender.sh KESTRIX_CLI KESTRIX_IMPORT SOURCE_DIR
# Exits 77 (skipped) when Blender is not installed (tests/writers/gltf/setup.sh
# installs it).
cli=$1
import=$2
top=$3
if ! command -v blender >/dev/null 2>&1; then
    echo "skipped: blender is not installed; run tests/writers/gltf/setup.sh"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set -e
cp "$top/examples/caffeine.krx" "$work/caffeine.krx"
"$import" -o "$work/peptide.krx" "$top/tests/data/molecules/peptide.pdb" >/dev/null 2>&1
"$import" -o "$work/waterbox.krx" "$top/tests/data/molecules/waterbox.xyz" >/dev/null 2>&1
pairs=""
for m in caffeine peptide waterbox; do
    "$cli" --glb --quiet -o "$work/$m.glb" "$work/$m.krx"
    pairs="$pairs $work/$m.krx $work/$m.glb"
done
# Caffeine in the other two styles: the same armature, one mesh each.
for style in spacefill sticks; do
    "$cli" --glb --quiet --style "$style" -o "$work/caffeine-$style.glb" "$work/caffeine.krx"
    pairs="$pairs $work/caffeine.krx $work/caffeine-$style.glb"
done
# And with each half of a bond in its atom's colour.
"$cli" --glb --quiet --bond-colours atoms -o "$work/caffeine-atoms.glb" "$work/caffeine.krx"
pairs="$pairs $work/caffeine.krx $work/caffeine-atoms.glb"
set +e
# Blender's own chatter goes to the log; the checks' lines are shown.
# shellcheck disable=SC2086
HOME="$work" blender -b --factory-startup --python-exit-code 1 \
    --python "$top/tests/writers/gltf/blender_check.py" -- $pairs >"$work/log" 2>&1
status=$?
grep -E "^(ok|FAILED|turned|labels)" "$work/log"
if [ "$status" -ne 0 ] && ! grep -q "^FAILED" "$work/log"; then
    tail -20 "$work/log"
fi
# An animated figure (blender_frames.py): five frames of ethane whose
# methyl group turns by 40 degrees a frame while its bonds stretch.
for k in 0 1 2 3 4; do
    awk -v k=$k 'BEGIN {
        pi = 3.14159265358979; print 6; print "frame " k + 1
        print "C 0 0 0"; print "C 0 0 " 1.53 + 0.05 * k
        for (i = 0; i < 3; i++) {
            a = (40 * k + 120 * i) * pi / 180
            printf "H %.6f %.6f %.6f\n", 1.03 * cos(a), 1.03 * sin(a), 1.89 + 0.05 * k
        }
        print "H 0.2 0.1 -1.09"
    }'
done >"$work/ethane.xyz"
"$import" -o "$work/ethane.krx" "$work/ethane.xyz" >/dev/null 2>&1
"$cli" --glb --quiet -o "$work/ethane.glb" "$work/ethane.krx"
HOME="$work" blender -b --factory-startup --python-exit-code 1 \
    --python "$top/tests/writers/gltf/blender_frames.py" -- "$work/ethane.krx" "$work/ethane.glb" >"$work/log" 2>&1
frames=$?
grep -E "^(ok|FAILED|frame)" "$work/log"
if [ "$frames" -ne 0 ] && ! grep -q "^FAILED" "$work/log"; then
    tail -20 "$work/log"
fi
[ "$status" -ne 0 ] || status=$frames
exit "$status"
