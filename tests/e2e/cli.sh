#!/bin/sh
# kestrix-cli end to end: its files against the golden files, its messages,
# exit statuses, default names, the remembered Poser folder, --force and
# --check.
# usage: cli.sh KESTRIX_CLI SOURCE_DIR
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
src=$(cd "$2" && pwd)
golden=$src/tests/data/golden
pass=0
fail=0
ok() { pass=$((pass + 1)); }
bad() { fail=$((fail + 1)); echo "FAIL: $*"; }
check() { # check DESCRIPTION COMMAND...
    what=$1
    shift
    if "$@"; then ok; else bad "$what"; fi
}

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1
# The user's own settings stay out of it: every run's configuration folder
# is here.
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
ini=$work/config/kestrix/kestrix.ini
mkdir poser poser/Runtime
mol=poser/Runtime/Libraries/character/Molecules
obj=poser/kestrix

# Every golden description converts to its golden files.
for krx in "$golden"/*.krx; do
    n=$(basename "$krx" .krx)
    "$cli" --quiet --poser poser "$krx" >out.txt 2>err.txt
    check "$n converts" test $? -eq 0
    check "$n says nothing" test ! -s out.txt -a ! -s err.txt
    check "$n.cr2 equals the golden file" cmp -s "$mol/$n.cr2" "$golden/$n.cr2"
    check "$n.obj equals the golden file" cmp -s "$obj/$n.obj" "$golden/$n.obj"
done
# Every bundled example converts without a message (in a folder of its own,
# whose kestrix.ini is read and updated instead of the user's).
mkdir ex ex/poser ex/poser/Runtime
: >ex/kestrix.ini
for krx in "$src"/examples/*.krx; do
    n=$(basename "$krx" .krx)
    (cd ex && "$cli" --quiet --poser poser "$krx" >out.txt 2>err.txt)
    check "example $n converts" test $? -eq 0 -a ! -s ex/err.txt -a ! -s ex/out.txt
    check "example $n has both files" test -s "ex/$obj/$n.obj" -a -s "ex/$mol/$n.cr2"
done

check "no temporary file is left" test "$(ls -A "$mol" | grep -c -v '\.cr2$')" -eq 0
check "a kestrix.ini in the current folder is the one updated" grep -q "^poseraddr=$work/ex/poser\$" ex/kestrix.ini

# The Poser folder was remembered in the user's configuration folder, made
# for it; no kestrix.ini lands in the current folder.
check "kestrix.ini remembers the folder" grep -q "^poseraddr=$work/poser\$" "$ini"
check "no kestrix.ini in the current folder" test ! -e kestrix.ini

# An existing output is refused without --force and survives untouched.
cp "$golden/water.krx" water.krx
"$cli" water.krx >out.txt 2>err.txt
check "existing output refused: exit 1" test $? -eq 1
cat >expected.txt <<END
kestrix: water.krx: this file exists already (use --force to replace it): $work/$mol/water.cr2
END
check "existing output refused: one line naming the description" cmp -s err.txt expected.txt
check "existing output refused: file kept" cmp -s "$mol/water.cr2" "$golden/water.cr2"

# The report and the confirmation go to standard output.
"$cli" --force water.krx >out.txt 2>err.txt
check "--force replaces: exit 0" test $? -eq 0
check "--force replaces: no message" test ! -s err.txt
# The folder came from the settings, as before: it goes without saying.
cat >expected.txt <<END
kestrix: I have written to the .OBJ file and the .CR2 file: $work/$obj/water.obj
    $work/$mol/water.cr2
END
check "report on standard output" cmp -s out.txt expected.txt

# Output names: a bare name goes into its folder, a name with a folder part is
# taken as given, and the suffix rule adds what is missing.
mkdir elsewhere
"$cli" --quiet --cr2 Fig --obj elsewhere/mesh.OBJ water.krx 2>err.txt
check "named outputs: exit 0" test $? -eq 0
check "bare CR2 name goes into Molecules" test -f "$mol/Fig.cr2"
check "OBJ name with a folder is taken as given" test -f elsewhere/mesh.OBJ
check "OBJ outside the Poser folder is named by its full path" grep -q "^figureResFile $work/elsewhere/mesh.OBJ\$" "$mol/Fig.cr2"

# Paths with "." and ".." name the same folders: the mesh still lies below
# the Poser folder.
mkdir dots
(cd dots && "$cli" --quiet --force --poser ./../poser/. --obj ../poser/kestrix/../kestrix/dotted.obj --cr2 dotted ../water.krx)
check "dotted paths: resource path below the Poser folder" grep -q "^figureResFile :kestrix:dotted.obj\$" "$mol/dotted.cr2"

# Description errors: one line, naming the description as given and the line.
printf 'element O 1 1 1 1\natom A Q 0 0 0\n' >bad.krx
"$cli" --quiet bad.krx 2>err.txt
check "description error: exit 1" test $? -eq 1
cat >expected.txt <<END
kestrix: bad.krx:2: you did not declare this element: Q
END
check "description error: messages" cmp -s err.txt expected.txt
check "description error: nothing written" test ! -e "$mol/bad.cr2" -a ! -e "$obj/bad.obj"

printf 'element O 1 1 1 1\natom A O 0 0\n' >few.krx
"$cli" --quiet few.krx 2>err.txt
check "line shown without its line end" grep -q "^kestrix: few.krx:2: too few arguments in this line: atom A O 0 0\$" err.txt

# A batch goes on after a failure; the next description is found after
# the first job made output folders.
cp water.krx batch.krx
"$cli" --quiet bad.krx batch.krx water.txt 2>err.txt
check "batch: exit 1" test $? -eq 1
check "batch: later description converted" test -f "$mol/batch.cr2"
check "bad suffix" grep -q "^kestrix: bad suffix: $work/water.txt\$" err.txt
check "upper-case suffix accepted" sh -c "cp water.krx W2.KRX && '$cli' --quiet W2.KRX && test -f '$mol/W2.cr2'"

# Without --poser and without any kestrix.ini the job cannot run; the
# message says how to give the folder and where it will be remembered.
mkdir fresh
(cd fresh && XDG_CONFIG_HOME=$work/fresh/cfg "$cli" --quiet ../water.krx ../batch.krx 2>err.txt; echo $? >status)
check "no Poser folder: exit 1" test "$(cat fresh/status)" -eq 1
cat >expected.txt <<END
kestrix: ../water.krx: I don't know where Poser is installed: give its folder with --poser DIR; it is then remembered in $work/fresh/cfg/kestrix/kestrix.ini
kestrix: ../batch.krx: I don't know where Poser is installed: give its folder with --poser DIR
END
check "no Poser folder: message" cmp -s fresh/err.txt expected.txt
(cd fresh && "$cli" --quiet --poser "$work/nowhere" ../water.krx 2>err.txt; echo $? >status)
check "missing Poser folder refused" grep -q "^kestrix: ../water.krx: there is no folder: $work/nowhere\$" fresh/err.txt


# A batch ends with its count, unless --quiet; a single description does not.
"$cli" --force bad.krx batch.krx water.krx >out.txt 2>/dev/null
check "batch: the count ends it" test "$(tail -n 1 out.txt)" = "kestrix: 2 converted, 1 failed"
"$cli" --quiet --force bad.krx batch.krx >out.txt 2>/dev/null
check "batch: --quiet leaves the count out" test ! -s out.txt
"$cli" --force water.krx >out.txt 2>/dev/null
check "one description: no count" test "$(grep -c converted out.txt)" -eq 0

# --check: reads and reports, writes nothing (no settings either); 0 when
# there is nothing to report. Rows: description text, exit status, what it
# reports on standard error.
mkdir check
printf 'element O 1 1 1 1\natom A O 104,5 0 0\n{ atom B O 1 1 1\n' >check/doubt.krx
cd check || exit 1
while IFS='|' read -r files status expected; do
    # shellcheck disable=SC2086
    XDG_CONFIG_HOME=$work/check/cfg "$cli" --check $files >out.txt 2>err.txt
    got=$?
    check "--check $files: exit $status" test $got -eq "$status"
    printf '%b' "$expected" | sed "s#WORK#$work#" >expected.txt
    check "--check $files: its report" cmp -s err.txt expected.txt
done <<'END'
../water.krx|0|
doubt.krx|1|kestrix: doubt.krx:2: warning: characters after a number are ignored: 104,5 (read as 104)\nkestrix: doubt.krx:3: warning: this branch is not closed by the end of the file: {\n
../bad.krx|1|kestrix: ../bad.krx:2: you did not declare this element: Q\n
../water.krx ../water.txt|1|kestrix: bad suffix: WORK/water.txt\n
END
cd "$work" || exit 1
check "--check writes no file and no settings" test "$(find check -newer check/doubt.krx -type f | grep -v -c -E '/(out|err|expected)[.]txt$')" -eq 0
(cd check && "$cli" --check ../water.krx doubt.krx >out.txt 2>/dev/null)
check "--check: a clean file is said to be clean" test "$(sed -n 1p check/out.txt)" = "kestrix: ../water.krx: no problems"
check "--check: a file with warnings ends with their count" test "$(sed -n 2p check/out.txt)" = "kestrix: doubt.krx: 2 warnings"
check "--check: a batch's count" test "$(sed -n 3p check/out.txt)" = "kestrix: 1 read without a problem, 1 with problems"
(cd check && "$cli" --check --quiet ../water.krx >out.txt 2>&1)
check "--check --quiet: a clean file prints nothing" test ! -s check/out.txt
"$cli" --check --poser poser water.krx >/dev/null 2>&1
check "--check with --poser: exit 2" test $? -eq 2

# Settings. Rows: what the run's folders and environment are, and where the
# Poser folder must then be remembered.
settings_case() { # NAME SETUP EXPECTED-INI [OPTIONS]
    d=$work/set-$1
    mkdir -p "$d/run" "$d/poser/Runtime"
    (cd "$d" && eval "$2")
    (cd "$d/run" && eval "env $4 '$cli' --quiet --poser ../poser ../../water.krx" >out.txt 2>err.txt)
    check "settings $1: remembered in $3" grep -q "^poseraddr=$d/poser\$" "$d/$3"
}
settings_case xdg "" cfg/kestrix/kestrix.ini "HOME=$work/nohome XDG_CONFIG_HOME=\$PWD/../cfg"
settings_case home "" home/.config/kestrix/kestrix.ini "HOME=\$PWD/../home XDG_CONFIG_HOME="
settings_case relative-xdg "" home/.config/kestrix/kestrix.ini "HOME=\$PWD/../home XDG_CONFIG_HOME=rel"
settings_case here ": >run/kestrix.ini" run/kestrix.ini "HOME=\$PWD/../home XDG_CONFIG_HOME=\$PWD/../cfg"
# A conversion that fails remembers nothing; --glb never looks.
d=$work/set-failed
mkdir -p "$d/poser/Runtime"
XDG_CONFIG_HOME=$d/cfg "$cli" --quiet --poser "$d/poser" bad.krx 2>/dev/null
check "settings: a failed conversion remembers nothing" test ! -e "$d/cfg"
XDG_CONFIG_HOME=$d/cfg "$cli" --quiet --glb -o "$d/w.glb" water.krx
check "settings: --glb remembers nothing" test -s "$d/w.glb" -a ! -e "$d/cfg"
# A configuration folder that cannot be written: the conversions succeed,
# one warning names the file and the reason.
if [ "$(id -u)" -ne 0 ]; then
    d=$work/set-readonly
    mkdir -p "$d/cfg" "$d/poser/Runtime"
    chmod a-w "$d/cfg"
    XDG_CONFIG_HOME=$d/cfg "$cli" --quiet --force --poser "$d/poser" water.krx batch.krx 2>err.txt
    check "settings: read-only folder: the conversions succeed" test $? -eq 0
    check "settings: read-only folder: one warning naming it" test "$(cat err.txt)" = \
        "kestrix: I can't remember the Poser folder in this file: $d/cfg/kestrix/kestrix.ini (permission denied)"
else
    d=$work/set-readonly
    mkdir -p "$d/poser/Runtime"
    # As root a read-only folder is no obstacle: a file where the folder
    # should be is.
    : >"$d/cfg"
    XDG_CONFIG_HOME=$d/cfg "$cli" --quiet --force --poser "$d/poser" water.krx batch.krx 2>err.txt
    check "settings: unwritable folder: the conversions succeed" test $? -eq 0
    check "settings: unwritable folder: one warning naming it" test "$(cat err.txt)" = \
        "kestrix: I can't remember the Poser folder in this file: $d/cfg/kestrix/kestrix.ini (not a directory)"
fi

# An interrupted conversion leaves no temporary file (kills at several
# moments, some of them mid-conversion).
mkdir intr intr/poser intr/poser/Runtime
{
    echo "bondradius 0.1"
    i=0
    while [ $i -lt 128 ]; do echo "element E$i 1 1 1 0.5"; i=$((i + 1)); done
    i=0
    while [ $i -lt 1024 ]; do echo "atom A$i E$((i % 128)) 1 2 1.5"; i=$((i + 1)); done
} >intr/big.krx
for delay in 0.001 0.002 0.004 0.006 0.008 0.01 0.015 0.02 0.03; do
    (cd intr && "$cli" --quiet --force --poser poser big.krx 2>/dev/null & p=$!; sleep $delay; kill -TERM $p 2>/dev/null; wait $p) 2>/dev/null
    (cd intr && "$cli" --quiet --force --poser poser big.krx 2>/dev/null & p=$!; sleep $delay; kill -INT $p 2>/dev/null; wait $p) 2>/dev/null
done
leftover=$(find intr/poser -type f | grep -v -E '/big[.](cr2|obj)$')
check "interrupted conversions leave no temporary file ($leftover)" test -z "$leftover"

# A description with frames also gets its pose file, named as the figure
# file, in the pose library; one without frames gets none.
pose=poser/Runtime/Libraries/Pose/Molecules
check "no frames, no pose file" test ! -e "$pose"
cat >moving.krx <<'EOF2'
name moving
readxyz
element O 13 13 255 0.33
element H 255 255 255 0.155
atom O1 O 0 0 0.1173
{ atom H1 H 0 0.7572 -0.4692 }
atom H2 H 0 -0.7572 -0.4692
//@ frame 2
//@ xyz O1 0 0 0.2 0 0.81 -0.4 0.1 -0.7 -0.52
EOF2
"$cli" --quiet --poser poser --cr2 turning moving.krx >out.txt 2>err.txt
check "frames: converts" test $? -eq 0
check "frames: the pose file beside the figure's" test -s "$pose/turning.pz2" -a -s "$mol/turning.cr2"
check "frames: the root keyed at both frames" sh -c "grep -c '^				k  [01]  ' '$pose/turning.pz2' | grep -qx 18"
# A pose file of that name from before is kept unless the figure file may
# be replaced: then nothing is written.
rm "$mol/turning.cr2" "$obj/moving.obj"
echo "mine" >"$pose/turning.pz2"
"$cli" --quiet --poser poser --cr2 turning moving.krx >out.txt 2>err.txt
check "frames: an old pose file refused: exit 1" test $? -eq 1
check "frames: the message names it" grep -q "turning.pz2" err.txt
check "frames: nothing written" test ! -e "$mol/turning.cr2" -a "$(cat "$pose/turning.pz2")" = mine
"$cli" --quiet --force --poser poser --cr2 turning moving.krx >out.txt 2>err.txt
check "frames: --force replaces it" grep -q "^actor atom0:1" "$pose/turning.pz2"

# Usage.
"$cli" >/dev/null 2>err.txt
check "no description: exit 2" test $? -eq 2
check "no description: usage line" grep -q "^usage: kestrix-cli" err.txt
"$cli" --frobnicate water.krx >/dev/null 2>&1
check "unknown option: exit 2" test $? -eq 2
"$cli" --cr2 x.cr2 water.krx batch.krx >/dev/null 2>&1
check "--cr2 with two descriptions: exit 2" test $? -eq 2
"$cli" --poser >/dev/null 2>&1
check "--poser without a value: exit 2" test $? -eq 2
check "--help" sh -c "'$cli' --help | grep -q -- '--poser DIR'"
check "--help names --check" sh -c "'$cli' --help | grep -q -- '--check '"
check "--version" sh -c "'$cli' --version | grep -q '^kestrix-cli [0-9]'"

# The Poser folder's sanity. Rows: the folder's set-up, the options, the exit
# status, what standard error and standard output then hold (the batch's
# count left out). Two descriptions each, so that "once a run" is seen.
mkdir -p pf
while IFS='|' read -r name setup args status experr expout; do
    rm -rf "pf/$name" && mkdir -p "pf/$name" && (cd "pf/$name" && eval "$setup")
    # shellcheck disable=SC2086
    (cd "pf/$name" && XDG_CONFIG_HOME=$work/pf/$name/cfg eval "'$cli' $args ../../water.krx ../../batch.krx" \
        >out.txt 2>err.txt)
    got=$?
    check "poser folder $name: exit $status" test $got -eq "$status"
    printf '%b' "$experr" | sed "s#WORK#$work/pf/$name#g" >"pf/$name/experr.txt"
    printf '%b' "$expout" | sed "s#WORK#$work/pf/$name#g" >"pf/$name/expout.txt"
    grep -v '^kestrix: [0-9]* converted' "pf/$name/out.txt" | grep -v '^kestrix: I have written\|^    ' >"pf/$name/out2.txt"
    check "poser folder $name: its warnings" cmp -s "pf/$name/err.txt" "pf/$name/experr.txt"
    check "poser folder $name: its folder line" cmp -s "pf/$name/out2.txt" "pf/$name/expout.txt"
done <<'END'
runtime|mkdir -p P/Runtime|--force --poser P|0||kestrix: You say that your Poser installation is at: WORK/P\n
noruntime|mkdir P|--force --poser P|0|kestrix: ../../water.krx: warning: this folder does not look like a Poser installation (it has no Runtime folder): WORK/P\n|kestrix: You say that your Poser installation is at: WORK/P\n
file|mkdir P; : >P/Poser.exe|--poser P/Poser.exe|1|kestrix: ../../water.krx: this is a file, not the Poser folder: WORK/P/Poser.exe (give its folder: WORK/P)\nkestrix: ../../batch.krx: this is a file, not the Poser folder: WORK/P/Poser.exe (give its folder: WORK/P)\n|
END

echo "$pass passed, $fail failed"
test "$fail" -eq 0
