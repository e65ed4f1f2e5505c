#!/bin/sh
# The README's picture strip made as its script makes it
# (scripts/motion-strip.sh), into a scratch file: it must run, and its three
# panels, drawn at three times of the animation by three.js's AnimationMixer,
# must differ (the same panel twice: the animation did not move the figure).
# usage: strip.sh BIN_DIR SOURCE_DIR
# Exits 77 (skipped) when node or the npm packages are missing.
bin=$1
top=$2
if ! command -v node >/dev/null 2>&1 || [ ! -d "$top/tests/writers/gltf/node_modules/three" ]; then
    echo "skipped: node or tests/writers/gltf/node_modules is missing (tests/writers/gltf/setup.sh)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$top/scripts/motion-strip.sh" "$bin" "$work/strip.png" >"$work/log" 2>&1 || {
    echo "FAILED: motion-strip.sh"
    cat "$work/log"
    exit 1
}
cat "$work/log"
digests=$(sed -n 's/.*panels //p' "$work/log")
# shellcheck disable=SC2086 # one word a panel
set -- $digests
if [ $# -ne 3 ]; then
    echo "FAILED: not three panels"
    exit 1
fi
if [ "$1" = "$2" ] || [ "$2" = "$3" ] || [ "$1" = "$3" ]; then
    echo "FAILED: two panels are the same picture: the figure did not move"
    exit 1
fi
echo "three panels, all different"
