#!/bin/sh
# The README's pictures that the test rasteriser draws, made as the README
# says, into scratch files, and compared pixel for pixel with those in docs/
# (a change to the figures shows up here: make the pictures again; the
# compressed bytes depend on the zlib at hand, so they are not compared):
#   - the picture strip (scripts/motion-strip.sh): it must run, and its three
#     panels, drawn at three times of the animation by three.js's
#     AnimationMixer, must differ (the same panel twice: the animation did
#     not move the figure);
#   - caffeine posed: examples/caffeine.sdf through kestrix-import and
#     kestrix-cli --glb, drawn with the bone of C8 turned by 70 degrees.
# usage: pictures.sh BIN_DIR SOURCE_DIR
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
# samepixels A B: the two PNG files hold the same header and scanlines.
samepixels() {
    python3 - "$1" "$2" <<'PY'
import sys, zlib
def pixels(path):
    data, at, header, idat = open(path, "rb").read(), 8, b"", b""
    while at < len(data):
        n = int.from_bytes(data[at:at + 4], "big")
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + n]
        header = body if kind == b"IHDR" else header
        idat += body if kind == b"IDAT" else b""
        at += 12 + n
    return header, zlib.decompress(idat)
sys.exit(0 if pixels(sys.argv[1]) == pixels(sys.argv[2]) else 1)
PY
}
if ! samepixels "$work/strip.png" "$top/docs/motion-strip.png"; then
    echo "FAILED: docs/motion-strip.png is not what scripts/motion-strip.sh draws (run it again)"
    exit 1
fi
echo "the strip is docs/motion-strip.png"
(cd "$work" && "$bin/kestrix-import" -o caffeine.krx "$top/examples/caffeine.sdf" 2>/dev/null &&
    "$bin/kestrix-cli" --glb caffeine.krx >/dev/null &&
    node "$top/tests/writers/gltf/render.mjs" caffeine.glb posed.png C8 70) || {
    echo "FAILED: drawing caffeine posed"
    exit 1
}
if ! samepixels "$work/posed.png" "$top/docs/caffeine-posed.png"; then
    echo "FAILED: docs/caffeine-posed.png is not what the README's commands draw"
    exit 1
fi
echo "caffeine posed is docs/caffeine-posed.png"
