#!/bin/sh
# Builds kestrix-cli and converts the bundled water example into a Poser
# folder under the build folder.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" --target kestrix-cli
poser="$top/build/demo-poser"
mkdir -p "$poser"
cd "$top/build"
./kestrix-cli --force --poser "$poser" "$top/examples/water.krx"
echo
echo "The figure:  $poser/Runtime/Libraries/character/Molecules/water.cr2"
echo "The mesh:    $poser/kestrix/water.obj"
