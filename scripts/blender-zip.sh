#!/bin/sh
# Makes the Blender add-on's zip (Preferences > Add-ons > Install): the folder
# kestrix_blender/ holding the add-on and, in its bin/, the programs of
# BIN_DIR (kestrix-import and kestrix-cli; .exe ones for a Windows build),
# the Linux ones stripped.
# usage: scripts/blender-zip.sh BIN_DIR OUT.zip
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$1
out=$2
if [ -z "$bin" ] || [ -z "$out" ]; then
    echo "usage: scripts/blender-zip.sh BIN_DIR OUT.zip" >&2
    exit 2
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/kestrix_blender/bin"
cp "$top"/blender/kestrix_blender/*.py "$stage/kestrix_blender/"
found=0
for p in kestrix-import kestrix-cli kestrix-import.exe kestrix-cli.exe; do
    if [ -f "$bin/$p" ]; then
        cp "$bin/$p" "$stage/kestrix_blender/bin/"
        case $p in
        *.exe) if command -v x86_64-w64-mingw32-strip >/dev/null 2>&1; then x86_64-w64-mingw32-strip "$stage/kestrix_blender/bin/$p"; fi ;;
        *) if command -v strip >/dev/null 2>&1; then strip "$stage/kestrix_blender/bin/$p"; fi ;;
        esac
        found=$((found + 1))
    fi
done
if [ "$found" -ne 2 ]; then
    echo "blender-zip.sh: $bin holds $found of the two programs (kestrix-import, kestrix-cli)" >&2
    exit 1
fi
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$stage" && cmake -E tar cf "$out" --format=zip kestrix_blender)
