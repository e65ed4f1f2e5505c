#!/bin/sh
# kestrix-cli given a molecule file in place of a description: each output is
# byte for byte what kestrix-import then kestrix-cli of the written
# description gives, for --glb, the Poser conversion and --check; no
# description is left beside the input; a molecule the importer refuses
# fails with its reason and writes nothing.
#
# usage: molecules.sh KESTRIX-CLI KESTRIX-IMPORT SOURCE_DIR
set -u
cli=$1
import=$2
src=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# One molecule file and the name its outputs take.
for case in "examples/caffeine.sdf caffeine" "tests/import/data/acetone.mol2 acetone" \
    "tests/import/data/peptide.pdb peptide" "tests/import/data/peptide.cif peptide" \
    "tests/data/molecules/benzene.xyz benzene" "tests/import/data/methanol.mol methanol" \
    "tests/import/data/benzene_aromatic.sdf.gz benzene_aromatic"; do
    set -- $case
    file=$1
    name=$2
    base=$(basename "$file")
    rm -rf "$work/direct" "$work/imported"
    mkdir -p "$work/direct/P/Runtime" "$work/imported/P/Runtime"
    case "$file" in
    *.gz) gzip -c "$src/${file%.gz}" >"$work/direct/$base" ;;
    *) cp "$src/$file" "$work/direct/$base" ;;
    esac
    cp "$work/direct/$base" "$work/imported/$base"
    (cd "$work/imported" && "$import" "$base" >/dev/null 2>&1 &&
        "$cli" --glb "$name.krx" >/dev/null 2>&1 &&
        "$cli" --poser P "$name.krx" >/dev/null 2>&1) || fail "$file: import then convert"
    (cd "$work/direct" && "$cli" --glb "$base" >/dev/null 2>&1) || fail "$file: --glb"
    (cd "$work/direct" && "$cli" --poser P "$base" >/dev/null 2>&1) || fail "$file: --poser"
    (cd "$work/direct" && "$cli" --check "$base" >/dev/null 2>&1) || fail "$file: --check"
    cmp -s "$work/direct/$name.glb" "$work/imported/$name.glb" || fail "$file: the .glb differs"
    for f in "kestrix/$name.obj" "Runtime/Libraries/character/Molecules/$name.cr2"; do
        cmp -s "$work/direct/P/$f" "$work/imported/P/$f" || fail "$file: $f differs"
    done
    ls "$work/direct" | grep -q '\.krx$' && fail "$file: a description was left behind"
done

# Refused by the importer: its reason, exit 1, nothing written.
rm -rf "$work/bad" && mkdir -p "$work/bad"
cp "$src/tests/import/data/malformed.pdb" "$work/bad/"
out=$(cd "$work/bad" && "$cli" --glb malformed.pdb 2>&1)
status=$?
[ "$status" -eq 1 ] || fail "malformed.pdb: exit $status, not 1"
echo "$out" | grep -q 'malformed.pdb' || fail "malformed.pdb: the message does not name the file: $out"
[ "$(ls "$work/bad")" = malformed.pdb ] || fail "malformed.pdb: something was written: $(ls "$work/bad")"

# Any other suffix keeps its refusal.
out=$(cd "$work/bad" && "$cli" --glb notes.txt 2>&1)
echo "$out" | grep -q 'bad suffix' || fail "notes.txt: $out"

[ "$failures" -eq 0 ] && echo "molecule files: all cases passed"
exit "$failures"
