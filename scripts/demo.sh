#!/bin/sh
# The first thing to run: installs what building needs (scripts/setup.sh),
# builds kestrix-cli and kestrix-import into build/bin (with the manual pages
# and notices `cmake --install build` takes), converts the water
# example into a Poser folder, imports a molecule file (examples/caffeine.sdf)
# and converts it into a Poser figure and a glTF file. Everything it writes is
# under build/; it prints where.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build=$top/build
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" >/dev/null
else
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target kestrix-cli kestrix-import
bin=$build/bin
demo=$build/demo
poser=$demo/poser
rm -rf "$demo"
# A Poser installation has a Runtime folder; one without draws a warning.
mkdir -p "$poser/Runtime"
cd "$demo"
# A kestrix.ini in the current folder is the one kestrix-cli reads and
# updates: the demo's Poser folder stays out of the user's settings.
: >kestrix.ini
mol=$poser/Runtime/Libraries/character/Molecules

echo "--- the water example into a Poser folder"
"$bin/kestrix-cli" --poser "$poser" "$top/examples/water.krx"

echo "--- caffeine: molecule file, description, Poser figure, glTF figure"
"$bin/kestrix-import" -o "$demo/caffeine.krx" "$top/examples/caffeine.sdf"
"$bin/kestrix-cli" --quiet --poser "$poser" "$demo/caffeine.krx"
"$bin/kestrix-cli" --quiet --glb "$demo/caffeine.krx"

cat <<END

The programs:         $bin/kestrix-cli
                      $bin/kestrix-import
Water, Poser figure:  $mol/water.cr2
       its mesh:      $poser/kestrix/water.obj
Caffeine description: $demo/caffeine.krx
       Poser figure:  $mol/caffeine.cr2
       its mesh:      $poser/kestrix/caffeine.obj
       glTF figure:   $demo/caffeine.glb
END
