#!/bin/sh
# The importer on the molecule files Debian's chemistry packages ship
# (chemical-structures, libavogadro-data, pymol-data): see samplecheck.cpp.
# Skips (status 77) when none of those packages is installed.
# usage: tests/import/samples.sh KESTRIX_IMPORT_SAMPLECHECK
set -eu
check=$1
dirs=
for d in /usr/share/chemical-structures /usr/share/avogadro2 /usr/share/pymol; do
    [ -d "$d" ] && dirs="$dirs $d"
done
if [ -z "$dirs" ]; then
    echo "samples.sh: no chemistry data package installed; skipped"
    exit 77
fi
# shellcheck disable=SC2086
find $dirs -type f | grep -E '\.(pdb|ent|cif|mmcif|mol|sdf|sd|mol2|cml|xyz)(\.gz)?$' | sort |
    tr '\n' '\0' | xargs -0 "$check"
