#!/bin/sh
# Makes the README's picture, docs/caffeine-blender.png: examples/caffeine.sdf
# imported into Blender through the add-on (which runs kestrix-import and
# kestrix-cli --glb --bond-colours atoms) and rendered headless with Cycles
# on the CPU (docs/render_caffeine.py), 640 x 400.
# usage: scripts/readme-picture.sh [BIN_DIR] [OUT.png]
#   BIN_DIR: where kestrix-import and kestrix-cli are (default build/bin)
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$top/build/bin}" && pwd)
out=${2:-$top/docs/caffeine-blender.png}
for p in kestrix-import kestrix-cli; do
    if [ ! -x "$bin/$p" ]; then
        echo "readme-picture.sh: no $p in $bin (build first, or name the folder)" >&2
        exit 1
    fi
done
if ! command -v blender >/dev/null 2>&1; then
    echo "readme-picture.sh: blender is not installed (apt-get install blender)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fresh user folder: nothing of this machine's Blender settings takes part.
env HOME="$work" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
    PATH="$bin:/usr/bin:/bin" \
    blender -b --factory-startup --python-exit-code 1 --python "$top/docs/render_caffeine.py" -- \
    "$top/blender" "$top/examples/caffeine.sdf" "$work/picture.png" >"$work/log" 2>&1 || {
    tail -20 "$work/log" >&2
    exit 1
}
cp "$work/picture.png" "$out"
echo "$out: $(wc -c <"$out") bytes"
