#!/bin/sh
# kestrix-cli --glb end to end: default and -o names, --force, the usage
# rules of -o, exit statuses, and that no Poser file or folder is touched.
# usage: glb.sh KESTRIX_CLI SOURCE_DIR
cli=$1
top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # check NAME COMMAND...
    name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
    fi
}
isglb() { [ "$(head -c 4 "$1" 2>/dev/null)" = "glTF" ]; }

cd "$work" || exit 1
mkdir in out

# The figures of every build are the same bytes: each golden .glb again
# (benzene closes a ring), on whichever path the processor takes.
for krx in "$top/tests/data/golden/water.krx" "$top/tests/data/golden/water_xyz.krx" \
    "$top/tests/data/golden/nested.krx" "$top/examples/benzene.krx"; do
    n=$(basename "$krx" .krx)
    "$cli" --quiet --glb -o "out/$n.glb" "$krx"
    check "$n.glb equals the golden file" cmp -s "out/$n.glb" "$top/tests/data/golden/$n.glb"
done
rm -f out/*
cp "$top/tests/data/golden/water.krx" in/water.krx
cp "$top/tests/data/golden/one_atom.krx" in/ONE.KRX

"$cli" --glb in/water.krx in/ONE.KRX >stdout.txt 2>stderr.txt
check "two descriptions convert" test $? -eq 0
check "default name beside the description" isglb in/water.glb
check "default name for an upper-case suffix" isglb in/ONE.glb
check "success reported on standard output" grep -q "I have written to the .glb file: $work/in/water.glb" stdout.txt
check "nothing on standard error" test ! -s stderr.txt
check "no Poser files or settings" test ! -e kestrix.ini -a ! -e Runtime

cp in/water.glb before.glb
"$cli" --glb --quiet in/water.krx >stdout.txt 2>stderr.txt
check "existing file refused" test $? -eq 1
check "refusal names the file" grep -q "this file exists already (use --force to replace it): $work/in/water.glb" stderr.txt
check "refused file untouched" cmp -s before.glb in/water.glb
"$cli" --glb --quiet --force in/water.krx >stdout.txt 2>stderr.txt
check "--force replaces" test $? -eq 0
check "--quiet prints nothing" test ! -s stdout.txt

"$cli" --glb -o out/figure.glb in/water.krx >/dev/null 2>&1
check "-o names the file" isglb out/figure.glb
(cd out && "$cli" --glb -o=rel.glb ../in/water.krx >/dev/null 2>&1)
check "-o=FILE relative to the current folder" isglb out/rel.glb

"$cli" --glb -o out/bare in/water.krx >/dev/null 2>&1
check "-o adds the missing .glb" isglb out/bare.glb
check "-o writes no name without .glb" test ! -e out/bare
"$cli" --glb -o --help in/water.krx >/dev/null 2>stderr.txt
check "-o followed by an option is a usage error" test $? -eq 2
check "-o --help message" grep -q "write -o=--help for a value that starts with -" stderr.txt
check "-o --help writes nothing" test ! -e ./--help -a ! -e ./--help.glb
"$cli" --glb -o x.glb in/water.krx in/ONE.KRX >/dev/null 2>stderr.txt
check "-o with two descriptions is a usage error" test $? -eq 2
check "-o usage message" grep -q "one description only" stderr.txt
"$cli" -o x.glb in/water.krx >/dev/null 2>stderr.txt
check "-o without --glb is a usage error" test $? -eq 2
"$cli" --glb --poser "$work" in/water.krx >/dev/null 2>stderr.txt
check "--poser with --glb is a usage error" test $? -eq 2
"$cli" --style sticks --poser "$work" in/water.krx >/dev/null 2>stderr.txt
check "--style with the Poser files is a usage error" test $? -eq 2
check "--style refusal" grep -q -- "--style shapes the .glb only: it goes with --glb" stderr.txt
"$cli" --bond-colours atoms --poser "$work" in/water.krx >/dev/null 2>stderr.txt
check "--bond-colours with the Poser files is a usage error" test $? -eq 2
check "--bond-colours refusal" grep -q -- "--bond-colours shapes the .glb only: it goes with --glb" stderr.txt
"$cli" --glb --bond-colours=element -o x.glb in/water.krx >/dev/null 2>stderr.txt
check "an unknown bond colour is a usage error" test $? -eq 2
check "the bond colours named" grep -q -- "--bond-colours is bond or atoms, not element" stderr.txt
"$cli" --fps 24 --poser "$work" in/water.krx >/dev/null 2>stderr.txt
check "--fps with the Poser files is a usage error" test $? -eq 2
check "--fps refusal" grep -q -- "--fps goes with --glb" stderr.txt
"$cli" --glb --fps 0 -o x.glb in/water.krx >/dev/null 2>stderr.txt
check "--fps 0 is a usage error" test $? -eq 2
check "--fps range" grep -q -- "--fps 0 (a whole number of frames per second, 1 to 1000)" stderr.txt
"$cli" --glb --style round -o x.glb in/water.krx >/dev/null 2>stderr.txt
check "an unknown style is a usage error" test $? -eq 2
check "the styles named" grep -q "ball-and-stick, spacefill or sticks, not round" stderr.txt
check "no output after usage errors" test ! -e x.glb
# The default style is the figure as it always was; the others differ.
"$cli" --quiet --glb --style Ball-And-Stick -o out/bs.glb "$top/tests/data/golden/water.krx"
check "--style ball-and-stick is the golden figure" cmp -s out/bs.glb "$top/tests/data/golden/water.glb"
for style in spacefill sticks; do
    "$cli" --quiet --glb --style=$style -o out/$style.glb "$top/tests/data/golden/water.krx"
    check "--style $style writes its figure" isglb out/$style.glb
    check "--style $style differs" test -n "$(cmp out/$style.glb out/bs.glb 2>&1)"
done
"$cli" --quiet --glb --bond-colours Bond -o out/bond.glb "$top/tests/data/golden/water.krx"
check "--bond-colours bond is the golden figure" cmp -s out/bond.glb "$top/tests/data/golden/water.glb"
"$cli" --quiet --glb --bond-colours atoms -o out/atoms.glb "$top/tests/data/golden/water.krx"
check "--bond-colours atoms writes its figure" isglb out/atoms.glb
check "--bond-colours atoms differs" test -n "$(cmp out/atoms.glb out/bs.glb 2>&1)"
rm -f out/*

printf 'readxyz\nelement O 1 1 1 1\natom A O 0 0 0\natom B O 0 1e39 0\n' >in/huge.krx
"$cli" --glb in/huge.krx >/dev/null 2>stderr.txt
check "out of range fails" test $? -eq 1
check "out of range message" grep -q "this number is out of range: B" stderr.txt
check "out of range writes nothing" test ! -e in/huge.glb
printf 'element O 1 1 1 1\n' >in/empty.krx
"$cli" --glb in/empty.krx >/dev/null 2>stderr.txt
check "no atoms fails" test $? -eq 1
check "no atoms message" grep -q "there are no atoms in this file" stderr.txt
"$cli" --glb in/water.txt >/dev/null 2>stderr.txt
check "bad suffix" grep -q "bad suffix" stderr.txt
check "only the expected files" test "$(ls in | tr '\n' ' ')" = "ONE.KRX ONE.glb empty.krx huge.krx water.glb water.krx "

"$cli" --help | grep -q -- "--glb"
check "--help names --glb" test $? -eq 0
"$cli" --help | grep -q -- "--style STYLE"
check "--help names --style" test $? -eq 0
"$cli" --help | grep -q -- "--bond-colours bond|atoms"
check "--help names --bond-colours" test $? -eq 0

echo "$passed passed, $failed failed"
test "$failed" -eq 0
