#!/bin/sh
# The add-on's zip, made from the programs under test, installed and enabled
# in a Blender with a fresh user folder; check.py imports molecules through
# File > Import > Molecule (kestrix)'s operator and checks the figures.
# usage: run.sh KESTRIX_CLI KESTRIX_IMPORT SOURCE_DIR VERSION
# Exits 77 (skipped) when Blender is not installed.
cli=$1
import=$2
top=$3
version=$4
if ! command -v blender >/dev/null 2>&1; then
    echo "skipped: blender is not installed (apt-get install blender)"
    exit 77
fi
blender=$(command -v blender)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set -e
mkdir "$work/bin" "$work/config" "$work/scripts" "$work/tmp" "$work/in"
cp "$cli" "$import" "$work/bin/"
sh "$top/scripts/blender-zip.sh" "$work/bin" "$work/kestrix_blender-$version.zip"
# The atoms each import brings, from the same import on the console.
count() { # FILE
    "$import" -o "$work/count.krx" --force -- "$1" >/dev/null 2>&1
    grep -cE '^[[:space:]{]*atom[[:space:]]' "$work/count.krx"
}
caffeine=$top/examples/caffeine.sdf
peptide=$top/tests/data/molecules/peptide.pdb
krx=$top/examples/caffeine.krx
cases="$caffeine $(count "$caffeine") $peptide $(count "$peptide") $krx $(grep -cE '^[[:space:]{]*atom[[:space:]]' "$krx")"
set +e
# A fresh user folder: the zip installs into it, nothing of this machine's
# Blender settings takes part. The programs are not on PATH: the add-on
# finds its own.
# shellcheck disable=SC2086
env HOME="$work" TMPDIR="$work/tmp" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
    PATH=/usr/bin:/bin \
    "$blender" -b --python-exit-code 1 --python "$top/tests/blender/check.py" -- \
    "$work/kestrix_blender-$version.zip" "$version" "$top/tests/import/data/malformed.pdb" "$work/in" \
    $cases >"$work/log" 2>&1
status=$?
grep -E "^(ok|FAILED|skipped|turned)" "$work/log"
if [ "$status" -ne 0 ] && ! grep -q "^FAILED" "$work/log"; then
    tail -30 "$work/log"
fi
exit "$status"
