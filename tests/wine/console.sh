# Group 1: the Windows console build against the native build.

# console_set NAME DIR: converts every description in DIR with both builds,
# one run each, and compares files, messages and exit statuses.
console_set() {
    set=$1
    dir=$2
    n=$work/console/$set/native
    w=$work/console/$set/windows
    mkdir -p "$n/poser" "$w/poser"
    files=("$dir"/*.krx)
    winfiles=()
    for f in "${files[@]}"; do winfiles+=("$(winpath "$f")"); done
    (cd "$n" && "$nativecli" --poser poser "${files[@]}" >stdout 2>stderr; echo $? >status)
    (cd "$w" && winrun "$wincli" --poser poser "${winfiles[@]}" >stdout 2>stderr; echo $? >status)

    same "console $set: exit status" "$(cat "$w/status")" "$(cat "$n/status")"
    same "console $set: reports" "$(normalmessages "$w/stdout" "$w")" "$(normalmessages "$n/stdout" "$n")"
    same "console $set: messages" "$(normalmessages "$w/stderr" "$w")" "$(normalmessages "$n/stderr" "$n")"
    for f in "${files[@]}"; do
        base=$(basename "$f" .krx)
        for out in "Runtime/Libraries/character/Molecules/$base.cr2" "kestrix/$base.obj"; do
            wf=$w/poser/$out
            nf=$n/poser/$out
            name="console $set: $base ${out##*.}"
            if [ ! -e "$nf" ]; then
                # A description that fails must fail on both and leave nothing.
                check "$name: no file on either build" test ! -e "$wf"
                continue
            fi
            if [ ! -e "$wf" ]; then
                fail "$name: missing on Windows"
                continue
            fi
            check "$name: same as native" samebutcrlf "$wf" "$nf"
            check "$name: CR LF line ends" crlfonly "$wf"
        done
    done
    # No temporary file of the output layer may be left behind.
    check "console $set: no temporary files left" \
        test -z "$(find "$w/poser" -type f -name '*.tmp' -o -type f -name '~kx*')"
}

# Output files on Windows are moved over existing ones only when a
# conversion succeeds: a second conversion replaces them, a failing one
# leaves them as they were.
console_replace() {
    w=$work/console/replace
    mkdir -p "$w/poser"
    cr2=$w/poser/Runtime/Libraries/character/Molecules/water.cr2
    obj=$w/poser/kestrix/water.obj
    want=$work/console/examples/native/poser
    # Another molecule first, under the same names, then water over it.
    (cd "$w" && winrun "$wincli" --quiet --force --poser poser --cr2 water --obj water \
        "$(winpath "$top/examples/methane.krx")" >/dev/null 2>&1)
    check "console: a first conversion writes the files" test -s "$cr2" -a -s "$obj"
    (cd "$w" && winrun "$wincli" --quiet --force --poser poser "$(winpath "$top/examples/water.krx")" \
        >/dev/null 2>&1)
    check "console: a second conversion replaces the CR2 file" \
        samebutcrlf "$cr2" "$want/Runtime/Libraries/character/Molecules/water.cr2"
    check "console: a second conversion replaces the OBJ file" samebutcrlf "$obj" "$want/kestrix/water.obj"
    (cd "$w" && winrun "$wincli" --quiet --force --poser poser --cr2 water --obj water \
        "$(winpath "$here/descriptions/bad_element.krx")" >/dev/null 2>&1)
    check "console: a failing conversion keeps the CR2 file it would have replaced" \
        samebutcrlf "$cr2" "$want/Runtime/Libraries/character/Molecules/water.cr2"
    check "console: a failing conversion keeps the OBJ file it would have replaced" \
        samebutcrlf "$obj" "$want/kestrix/water.obj"
    check "console: no temporary file is left after a failure" \
        test -z "$(find "$w/poser" -type f -name '~kx*')"
}

# Descriptions whose names are not ASCII: the Windows program opens them
# (its manifest makes the ANSI calls take UTF-8) and names its outputs, and
# the figure's path to its mesh, with the same bytes as the native build.
console_unicode() {
    u=$work/console/unicode
    mkdir -p "$u/in" "$u/native/poser" "$u/windows/poser"
    names=("Wasser-α" "水")
    files=()
    winfiles=()
    for n in "${names[@]}"; do
        cp "$top/examples/water.krx" "$u/in/$n.krx"
        files+=("$u/in/$n.krx")
        winfiles+=("$(winpath "$u/in/$n.krx")")
    done
    (cd "$u/native" && "$nativecli" --quiet --poser poser "${files[@]}" >/dev/null 2>&1)
    (cd "$u/windows" && winrun "$wincli" --quiet --poser poser "${winfiles[@]}" >stdout 2>&1; echo $? >status)
    same "console unicode: exit status" "$(cat "$u/windows/status")" 0
    for n in "${names[@]}"; do
        wf=$u/windows/poser/Runtime/Libraries/character/Molecules/$n.cr2
        if [ ! -f "$wf" ]; then
            fail "console unicode: $n.cr2 was not written ($(tr -d '\r' <"$u/windows/stdout"))"
            continue
        fi
        same "console unicode: $n.cr2 names its mesh" "$(grep -m 1 '^figureResFile' "$wf" | tr -d '\r')" \
            "figureResFile :kestrix:$n.obj"
        check "console unicode: $n.cr2 same as native" samebutcrlf "$wf" \
            "$u/native/poser/Runtime/Libraries/character/Molecules/$n.cr2"
        check "console unicode: $n.obj same as native" samebutcrlf "$u/windows/poser/kestrix/$n.obj" \
            "$u/native/poser/kestrix/$n.obj"
    done
}

# What an output name may be on Windows: a folder is refused even with
# --force; an existing file is kept without it and replaced (ReplaceFile)
# with it; nothing is left behind.
console_names() {
    w=$work/console/names
    mkdir -p "$w/poser/Runtime/Libraries/character/Molecules/water.cr2" "$w/out"
    (cd "$w" && winrun "$wincli" --quiet --force --poser poser "$(winpath "$top/examples/water.krx")" \
        >/dev/null 2>"$w/stderr"; echo $? >"$w/status")
    same "console: a folder under the figure's name is refused" "$(cat "$w/status")" 1
    check "console: the refusal says why" grep -q "water.cr2 (not a regular file)" "$w/stderr"
    check "console: the folder stays" test -d "$w/poser/Runtime/Libraries/character/Molecules/water.cr2"
    check "console: no mesh without its figure" test ! -e "$w/poser/kestrix/water.obj"
    glb=$w/out/water.glb
    printf 'old\n' >"$glb"
    (cd "$w" && winrun "$wincli" --quiet --glb -o "$(winpath "$glb")" "$(winpath "$top/examples/water.krx")" \
        >/dev/null 2>&1)
    same "console: --glb keeps an existing file without --force" "$(cat "$glb")" old
    (cd "$w" && winrun "$wincli" --quiet --force --glb -o "$(winpath "$glb")" \
        "$(winpath "$top/examples/water.krx")" >/dev/null 2>&1)
    check "console: --glb --force replaces it" test "$(head -c 4 "$glb")" = glTF
    check "console: no temporary file is left" test -z "$(find "$w" -type f -name '~kx*')"
}

# The glTF figures of the Windows build are the golden files' bytes.
console_glb() {
    w=$work/console/glb
    mkdir -p "$w"
    for krx in "$top/tests/data/golden/water.krx" "$top/tests/data/golden/water_xyz.krx" \
        "$top/tests/data/golden/nested.krx" "$top/examples/benzene.krx"; do
        n=$(basename "$krx" .krx)
        (cd "$w" && winrun "$wincli" --quiet --glb -o "$(winpath "$w/$n.glb")" "$(winpath "$krx")" \
            >/dev/null 2>&1)
        check "console: $n.glb equals the golden file" cmp -s "$w/$n.glb" "$top/tests/data/golden/$n.glb"
    done
}

# Temporary files (the spilled tables, a molecule file's description) are
# made in the user's folder for them, not in the drive's root folder, which
# Windows lets only administrators write to; they go when closed.
console_scratch() {
    same "console: temporary files, and a frame table's, in the folder for them, gone when closed" \
        "$(winrun "$bin/scratchprobe.exe" | tr -d '\r')" "bytes=same open=1 closed=0
table=same open=1 closed=0"
}

# The Windows importer reads no CML: a .cml file is refused, saying so, and
# no text of the programs (the importer with no input, each --help) offers
# CML as read. Each case: a program and its arguments; every line of its
# output that names CML must say it is not read.
console_cml() {
    w=$work/console/cml
    mkdir -p "$w"
    printf '<molecule><atomArray><atom id="a1" elementType="C" x3="0" y3="0" z3="0"/></atomArray></molecule>\n' \
        >"$w/one.cml"
    importer=$mingw/bin/kestrix-import.exe
    (cd "$w" && winrun "$importer" one.cml >"$w/refused.txt" 2>&1)
    check "console: kestrix-import.exe refuses a .cml file" test ! -e "$w/one.krx"
    check "console: and says this build reads no CML" grep -q "this build reads no CML" "$w/refused.txt"
    for case in "$importer" "$importer --help" "$wincli --help" "$wincli $(winpath "$w/one.cml")"; do
        # shellcheck disable=SC2086
        (cd "$w" && winrun $case 2>&1 | tr -d '\r' >"$w/said.txt")
        offered=$(grep -i 'cml' "$w/said.txt" | grep -v -i -E 'no CML|CML is not read')
        same "console: $(echo "$case" | sed "s#$mingw/bin/##") offers no CML" "$offered" ""
    done
}

console_tests() {
    echo "--- group 1: the console build"
    console_set examples "$top/examples"
    console_set golden "$top/tests/data/golden"
    console_set wine "$here/descriptions"
    console_replace
    console_unicode
    console_names
    console_glb
    console_scratch
    console_cml

    # The trigonometry itself, on chosen angles and 40000 more.
    "$bin/trigprobe" 20000 >"$work/console/trig-native.txt"
    winrun "$bin/trigprobe.exe" 20000 | tr -d '\r' >"$work/console/trig-windows.txt"
    check "console: sin, cos and atan2 give the same bits on both builds" \
        cmp -s "$work/console/trig-native.txt" "$work/console/trig-windows.txt"
    check "console: the trigonometry probe ran" test -s "$work/console/trig-native.txt"
}
