# Group 3: kestrix.exe on a virtual screen, driven as a user would: files
# named on the command line, dropped with XDND and chosen through the menu;
# the dialogs found by their titles and answered; boxes read; the files
# compared with the native build's.

TREAD="file to read molecule data from?"
TPOSER="find any file in your Poser installation's root folder"
TCONFIRM="You say that your Poser installation is at"
TCR2="file to write Poser CR2 file to?"
TOBJ="file to write object geometry to?"
TREPORT="I have written to the .OBJ file and the .CR2 file"
TFAILED="I tried to read this file but it didn't work"
TWHOA="Whoa there, I got a file open!!"
HELPTEXT="For information, read the file kestrix_readme.txt that came with this application."
MOLECULES=Runtime/Libraries/character/Molecules

probe() {
    wine "$bin/winprobe.exe" "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# How long to wait for a box or dialog: 10 s, but once the group has run for
# three minutes (something is badly wrong) only half a second, so that a
# broken program still ends the run in reasonable time.
patience() {
    if [ "$(date +%s)" -lt "$deadline" ]; then echo 10000; else echo 500; fi
}

# value OUTPUT KEY: the value of one "key=value" line.
value() {
    printf '%s\n' "$1" | sed -n "s/^$2=//p" | head -n 1
}

# Without a window manager Wine's maximized window keeps its default size and
# keys reach windows only under the pointer. The screen itself is up since the
# start of the run (startxvfb).
startwm() {
    for _ in 1 2; do
        openbox >>"$d/openbox.log" 2>&1 &
        openboxpid=$!
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$openboxpid" 2>/dev/null || break
            sleep 0.1
        done
    done
    return 1
}

# What was on the screen when a box or dialog did not come: a screenshot and
# every dialog's controls, in the work folder.
diagnose() {
    shot=$work/desktop-failure-$failed.png
    import -window root "$shot" 2>/dev/null
    probe dumpall >"$work/desktop-failure-$failed.txt"
    echo "     (screen: $shot, dialogs: $work/desktop-failure-$failed.txt)"
}

# expectbox NAME TITLE OWNER ICON TEXT: the box is up, owned as said (main or
# none), with or without an icon (1 or 0), showing TEXT (newlines as \n).
expectbox() {
    if ! probe wait "$2" "$(patience)" >/dev/null; then
        fail "$1: no box titled \"$2\" (dialogs: $(probe dialogs | tr '\n' ' '))"
        diagnose
        return 1
    fi
    out=$(probe box "$2")
    same "$1" "owner=$(value "$out" owner) icon=$(value "$out" icon) text=$(value "$out" text)" \
        "owner=$3 icon=$4 text=$5"
}

# ok TITLE: presses the box's or dialog's button 1 (OK) and waits for it to go.
ok() {
    probe press "$1" 1 && probe gone "$1" "$(patience)"
}

# expectdialog NAME TITLE FOLDER: a file dialog owned by the main window,
# opened in FOLDER (as its "Look in" box shows it).
expectdialog() {
    if ! probe wait "$2" "$(patience)" >/dev/null; then
        fail "$1: no dialog titled \"$2\" (dialogs: $(probe dialogs | tr '\n' ' '))"
        diagnose
        return 1
    fi
    out=$(probe dump "$2")
    folder=$(printf '%s\n' "$out" | sed -n 's/^child class=ComboBox id=1137 visible=1 text=//p')
    same "$1" "$(printf '%s\n' "$out" | sed -n 's/^class=#32770 owner=//p') in $folder" "main in $3"
}

# answer TITLE NAME: types NAME into the dialog's file name field and
# presses OK.
answer() {
    if probe answer "$1" "$2" && probe gone "$1" "$(patience)"; then
        return 0
    fi
    fail "desktop: the dialog \"$1\" did not take the name $2"
    diagnose
    return 1
}

# Screen point of a menu bar item, and of the middle of the window.
menupoint() {
    value "$(probe menupoints)" "$1" | tr , ' '
}

# clickmenu ITEM: clicks a menu bar item; a menu bar that is not there (the
# window did not come up) is counted as a failure, not a shell error.
clickmenu() {
    point=$(menupoint "$1")
    if [ -z "$point" ]; then
        fail "desktop: no menu item \"$1\" on the screen"
        return 1
    fi
    xdotool mousemove ${point% *} ${point#* } click 1
}

drop() { # FILE...
    out=$(probe main)
    w=$(value "$out" xwindow)
    r=$(value "$out" rect)
    x=$(echo "$r" | awk -F, '{ print int(($1 + $3) / 2) }')
    y=$(echo "$r" | awk -F, '{ print int(($2 + $4) / 2) }')
    "$bin/xdnd" "$w" "$x" "$y" "$@" >/dev/null
}

title() {
    value "$(probe main)" title
}

running() {
    probe main >/dev/null
}

# hintshown: a screenshot's view of the main window's client area holds one
# line of ink, centred, as wide as the hint's text in the window's font and
# no higher than one line. Tried for a few seconds, as the window may be
# repainting after a box; the last screenshot is $work/kestrix-hint.png.
hintshown() {
    res=$(probe hintres "$(winpath "$winexe")")
    tw=$(value "$res" width)
    th=$(value "$res" height)
    for _ in $(seq 20); do
        IFS=, read -r cx cy cw ch <<<"$(value "$(probe main)" client)"
        import -window root "$work/kestrix-hint.png" 2>/dev/null
        box=$(convert "$work/kestrix-hint.png" -crop "${cw}x${ch}+${cx}+${cy}" +repage -fuzz 10% -trim \
            -format '%w %h %X %Y' info: 2>/dev/null | tr -d +)
        if echo "$box $cw $ch $tw $th" | awk '{ w = $1; h = $2; x = $3; y = $4
                dx = x + w / 2 - $5 / 2; dy = y + h / 2 - $6 / 2
                exit !(dx <= 2 && dx >= -2 && dy <= $8 / 2 && dy >= -$8 / 2 &&
                       w - $7 <= 4 && $7 - w <= 4 && h <= $8) }'; then
            return 0
        fi
        sleep 0.25
    done
    echo "     ink ${box:-none} (width height left top) in a client area of ${cw}x${ch}; text ${tw}x${th}"
    return 1
}

# nodialog TITLE MS: no dialog of that title comes up within MS.
nodialog() {
    ! probe wait "$1" "$2" >/dev/null
}

# nativeconvert KRX CR2 OBJ: the native build's files for one description,
# made in $d/native/poser.
nativeconvert() {
    (cd "$d/native" && "$nativecli" --quiet --force --poser poser --cr2 "$2" --obj "$3" "$1" >/dev/null 2>&1)
}

# samefiles NAME WINFILE NATIVEFILE
samefiles() {
    if [ ! -f "$2" ]; then
        fail "$1: $2 was not written"
        return
    fi
    check "$1: same as the native build's" samebutcrlf "$2" "$3"
    check "$1: CR LF line ends" crlfonly "$2"
}

desktop_tests() {
    echo "--- group 3: the desktop program"
    deadline=$(($(date +%s) + 180))
    d=$work/desktop
    user=$d/user
    poser="$d/Poser Files"
    mkdir -p "$user/my molecules" "$user/molecules" "$poser" "$d/native/poser"
    : >"$poser/Poser.exe"
    cp "$top/examples/water.krx" "$user/my molecules/water.krx"
    cp "$top/examples/methane.krx" "$here/descriptions/bad_element.krx" "$user/molecules/"
    # One description sits in a folder deep enough that its path, as the
    # dialog returns it, has about 200 characters: more than the 128 the
    # dialogs were once given, less than the 256 of the buffers.
    deep=$user/molecules/
    while [ ${#deep} -lt 185 ]; do deep=${deep}deeper_; done
    mkdir -p "$deep"
    ethanol=$deep/ethanol.krx
    cp "$top/examples/ethanol.krx" "$ethanol"
    : >"$user/molecules/notes.txt"
    wposer=$(winpath "$poser")
    wwater=$(winpath "$user/my molecules/water.krx")
    wmethane=$(winpath "$user/molecules/methane.krx")
    wbad=$(winpath "$user/molecules/bad_element.krx")
    wethanol=$(winpath "$ethanol")

    if ! startwm; then
        fail "desktop: no window manager on the virtual screen"
        return
    fi

    # The desktop program gets a Wine of its own: nothing of the earlier
    # groups is left running. Then a console program is the first to start
    # and ends just before the window program starts, so that the window
    # program joins the Wine desktop process that the console program brought
    # up. Were console programs run without the screen, that desktop would
    # have no display and the window below would never show.
    wineserver -k
    wineserver -w
    wineserver -p
    winrun "$wincli" --version >/dev/null 2>&1

    # --- Start-up, with a description named on the command line (in a
    # folder whose name has a space).
    (cd "$user" && wine "$winexe" "$wwater" >"$d/kestrix.log" 2>&1; echo $? >"$d/kestrix.status") &
    guipid=$!
    for _ in $(seq 100); do probe main >/dev/null && break; sleep 0.1; done
    out=$(probe main)
    same "desktop: one maximized window titled kestrix" \
        "$(value "$out" count) $(value "$out" visible) $(value "$out" zoomed) $(value "$out" title)" "1 1 1 kestrix"
    # Without its window nothing below can pass: no more waiting for boxes.
    running || deadline=0
    same "desktop: the menu bar holds the three commands, no drop-downs" \
        "$(probe menures "$(winpath "$winexe")" | tr '\n' '|')" \
        "items=3|item0 id=256 popup=0 text=&read molecule file|item1 id=257 popup=0 text=&help|item2 id=258 popup=0 text=&e&xit|"
    same "desktop: the icon is one 32x32 image of 16 colours" \
        "$(probe iconres "$(winpath "$winexe")" | tr '\n' '|')" "images=1|image0 size=32x32 colours=16 bits=4|"
    check "desktop: the window shows the icon" \
        sh -c "xprop -id $(value "$out" xwindow) _NET_WM_ICON | grep -q '32 x 32'"

    # --- The command-line conversion: Poser dialog in c: (nothing is
    # remembered yet), the close box refused while the confirmation is up.
    expectdialog "desktop: Poser dialog, first time" "$TPOSER" " (C:)"
    answer "$TPOSER" "$wposer\\Poser.exe"
    expectbox "desktop: confirmation of the Poser folder" "$TCONFIRM" none 0 "$wposer"
    probe post 0x0112 0xF060 # the close box: SC_CLOSE
    check "desktop: the close box during a conversion is refused" probe waittitle "$TWHOA" 5000
    check "desktop: the program is still running" running
    ok "$TCONFIRM"
    expectdialog "desktop: CR2 dialog" "$TCR2" Molecules
    answer "$TCR2" water
    expectdialog "desktop: OBJ dialog" "$TOBJ" kestrix
    answer "$TOBJ" water
    expectbox "desktop: report of the command-line conversion" "$TREPORT" none 0 \
        "$wposer\\kestrix\\water.obj\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\water.cr2"
    ok "$TREPORT"
    check "desktop: title after the command-line conversion" probe waittitle "kestrix: $wwater" 5000
    import -window root "$work/kestrix-gui.png"
    check "desktop: screenshot saved" test -s "$work/kestrix-gui.png"
    same "desktop: the window's hint" "$(value "$(probe hintres "$(winpath "$winexe")")" text)" \
        'drop a .krx description here, or use "read molecule file"'
    check "desktop: the empty window shows its hint, one centred line" hintshown
    nativeconvert "$top/examples/water.krx" water water
    samefiles "desktop: water.cr2" "$poser/$MOLECULES/water.cr2" "$d/native/poser/$MOLECULES/water.cr2"
    samefiles "desktop: water.obj" "$poser/kestrix/water.obj" "$d/native/poser/kestrix/water.obj"
    same "desktop: the Poser folder is remembered in kestrix.ini" \
        "$("$bin/profileprobe" get poserinfo poseraddr "$user/kestrix.ini")" "value=$wposer"

    # --- A dropped description: the Poser dialog opens in the remembered
    # folder (a bare name is found there); suffixes in capitals are kept; the
    # exit command is refused while the confirmation is up.
    check "desktop: a dropped file is taken" drop "$user/molecules/methane.krx"
    expectdialog "desktop: Poser dialog, remembered folder" "$TPOSER" "Poser Files"
    answer "$TPOSER" Poser.exe
    expectbox "desktop: confirmation after the drop" "$TCONFIRM" none 0 "$wposer"
    clickmenu exit
    check "desktop: the exit command during a conversion is refused" probe waittitle "$TWHOA" 5000
    check "desktop: the program is still running after the exit command" running
    ok "$TCONFIRM"
    answer "$TCR2" methane.CR2
    answer "$TOBJ" Methane.OBJ
    expectbox "desktop: report of the dropped file" "$TREPORT" none 0 \
        "$wposer\\kestrix\\Methane.OBJ\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\methane.CR2"
    ok "$TREPORT"
    check "desktop: title after the drop" probe waittitle "kestrix: $wmethane" 5000
    nativeconvert "$user/molecules/methane.krx" methane.CR2 Methane.OBJ
    samefiles "desktop: methane.CR2" "$poser/$MOLECULES/methane.CR2" "$d/native/poser/$MOLECULES/methane.CR2"
    samefiles "desktop: Methane.OBJ" "$poser/kestrix/Methane.OBJ" "$d/native/poser/kestrix/Methane.OBJ"

    # --- The same drop again, the figure's name typed without its suffix:
    # the file the job would write exists, so a Yes/No box names it; No
    # brings the dialog back and the old figure stays as it was.
    check "desktop: the same file dropped again" drop "$user/molecules/methane.krx"
    answer "$TPOSER" Poser.exe
    ok "$TCONFIRM"
    answer "$TCR2" methane
    expectbox "desktop: asked before replacing a name typed without its suffix" "Confirm Save As" main 1 \
        "$wposer\\Runtime\\Libraries\\character\\Molecules\\methane.cr2 already exists.\\nDo you want to replace it?"
    probe press "Confirm Save As" 7 && probe gone "Confirm Save As" "$(patience)"
    expectdialog "desktop: No brings the CR2 dialog back" "$TCR2" Molecules
    answer "$TCR2" methane2
    answer "$TOBJ" methane2
    expectbox "desktop: report after the declined replacement" "$TREPORT" none 0 \
        "$wposer\\kestrix\\methane2.obj\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\methane2.cr2"
    ok "$TREPORT"
    samefiles "desktop: methane.CR2 kept after No" "$poser/$MOLECULES/methane.CR2" "$d/native/poser/$MOLECULES/methane.CR2"

    # --- The read command from the menu: its dialog shows the last path, a
    # path is typed into it. A drop and the read command that arrive while
    # the conversion is open are refused.
    clickmenu "read molecule file"
    expectdialog "desktop: the read command's dialog" "$TREAD" molecules
    # The dialog shows the last path as its folder (checked above) and the
    # file's name in the name field.
    same "desktop: the read dialog starts with the last accepted path" \
        "$(value "$(probe field "$TREAD")" field)" "methane.krx"
    xdotool key ctrl+a
    xdotool type --delay 10 "$wethanol"
    xdotool key Return
    probe gone "$TREAD" "$(patience)"
    answer "$TPOSER" Poser.exe
    expectbox "desktop: confirmation for the chosen file" "$TCONFIRM" none 0 "$wposer"
    drop "$user/my molecules/water.krx"
    check "desktop: a drop during a conversion is refused" probe waittitle "$TWHOA" 5000
    probe post 0x0111 256 # the read command
    check "desktop: the read command during a conversion opens nothing" nodialog "$TREAD" 1500
    same "desktop: only the confirmation is up" "$(probe dialogs)" "dialog=$TCONFIRM"
    ok "$TCONFIRM"
    answer "$TCR2" ethanol
    answer "$TOBJ" ethanol
    expectbox "desktop: report of the chosen file" "$TREPORT" none 0 \
        "$wposer\\kestrix\\ethanol.obj\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\ethanol.cr2"
    ok "$TREPORT"
    check "desktop: title after the read command (a path of ${#wethanol} characters)" \
        probe waittitle "kestrix: $wethanol" 5000
    nativeconvert "$ethanol" ethanol ethanol
    samefiles "desktop: ethanol.cr2" "$poser/$MOLECULES/ethanol.cr2" "$d/native/poser/$MOLECULES/ethanol.cr2"
    samefiles "desktop: ethanol.obj" "$poser/kestrix/ethanol.obj" "$d/native/poser/kestrix/ethanol.obj"

    # --- A description with an error.
    drop "$user/molecules/bad_element.krx"
    answer "$TPOSER" Poser.exe
    ok "$TCONFIRM"
    answer "$TCR2" bad
    answer "$TOBJ" bad
    expectbox "desktop: the description's error" "you did not declare this element" none 1 Xx
    ok "you did not declare this element"
    expectbox "desktop: the failed conversion" "$TFAILED" main 1 "$wbad"
    ok "$TFAILED"
    same "desktop: a failed conversion leaves the title" "$(title)" "kestrix: $wethanol"
    check "desktop: a failed conversion writes no file" \
        test ! -e "$poser/$MOLECULES/bad.cr2" -a ! -e "$poser/kestrix/bad.obj"
    check "desktop: no temporary file is left" \
        test -z "$(find "$poser" -type f -name '~kx*')"

    # --- Cancelling the Poser dialog.
    drop "$user/my molecules/water.krx"
    expectdialog "desktop: Poser dialog to cancel" "$TPOSER" "Poser Files"
    probe press "$TPOSER" 2
    expectbox "desktop: the cancelled Poser dialog" "Exiting" main 1 "I need this information to be able to run."
    ok "Exiting"
    expectbox "desktop: the job's failure after the cancel" "$TFAILED" main 1 "$wwater"
    ok "$TFAILED"

    # --- Refused drops.
    drop "$user/molecules/notes.txt"
    expectbox "desktop: a file without .krx" "bad suffix" main 1 "$(winpath "$user/molecules/notes.txt")"
    ok "bad suffix"
    drop "$user/molecules/notes.txt" "$user/molecules/methane.krx"
    expectbox "desktop: two files at once" "drag-and-drop" main 1 "one file at a time please"
    ok "drag-and-drop"
    check "desktop: neither refused drop starts a conversion" nodialog "$TPOSER" 1000
    same "desktop: refused drops leave the title" "$(title)" "kestrix: $wethanol"

    # --- A molecule file dropped: imported on the way (its warning as a
    # box), converted as kestrix-import's description of it would be, no
    # description left beside it.
    cp "$top/examples/caffeine.sdf" "$user/molecules/"
    wcaffeine=$(winpath "$user/molecules/caffeine.sdf")
    drop "$user/molecules/caffeine.sdf"
    expectbox "desktop: the importer's warning" "ring bonds" none 1 \
        "2 bonds close rings; only the glTF figure draws them; they are annotated in the description made from $wcaffeine"
    ok "ring bonds"
    answer "$TPOSER" Poser.exe
    ok "$TCONFIRM"
    answer "$TCR2" caffeine
    answer "$TOBJ" caffeine
    expectbox "desktop: report of the dropped molecule file" "$TREPORT" none 0 \
        "$wposer\\kestrix\\caffeine.obj\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\caffeine.cr2"
    ok "$TREPORT"
    check "desktop: title after the molecule file" probe waittitle "kestrix: $wcaffeine" 5000
    nativeconvert "$user/molecules/caffeine.sdf" caffeine.cr2 caffeine.obj
    samefiles "desktop: caffeine.cr2" "$poser/$MOLECULES/caffeine.cr2" "$d/native/poser/$MOLECULES/caffeine.cr2"
    samefiles "desktop: caffeine.obj" "$poser/kestrix/caffeine.obj" "$d/native/poser/kestrix/caffeine.obj"
    check "desktop: no description is left beside the molecule file" test ! -e "$user/molecules/caffeine.krx"

    # --- A description whose name is not ASCII, dropped, and outputs named
    # in Chinese: the names reach the files and the figure's path to its
    # mesh as they do on Linux.
    mkdir -p "$user/unicode"
    cp "$top/examples/water.krx" "$user/unicode/Wasser-α.krx"
    wunicode=$(winpath "$user/unicode/Wasser-α.krx")
    drop "$user/unicode/Wasser-α.krx"
    answer "$TPOSER" Poser.exe
    ok "$TCONFIRM"
    answer "$TCR2" 水
    answer "$TOBJ" 水
    expectbox "desktop: report of a description named in Greek letters" "$TREPORT" none 0 \
        "$wposer\\kestrix\\水.obj\\n$wposer\\Runtime\\Libraries\\character\\Molecules\\水.cr2"
    ok "$TREPORT"
    check "desktop: title after the Greek-named description" probe waittitle "kestrix: $wunicode" 5000
    nativeconvert "$user/unicode/Wasser-α.krx" 水 水
    samefiles "desktop: 水.cr2" "$poser/$MOLECULES/水.cr2" "$d/native/poser/$MOLECULES/水.cr2"
    samefiles "desktop: 水.obj" "$poser/kestrix/水.obj" "$d/native/poser/kestrix/水.obj"
    same "desktop: 水.cr2 names its mesh" "$(grep -m 1 '^figureResFile' "$poser/$MOLECULES/水.cr2" 2>/dev/null | tr -d '\r')" \
        "figureResFile :kestrix:水.obj"

    # --- Help, then exit from the menu.
    clickmenu help
    expectbox "desktop: the help box" "" none 0 "$HELPTEXT"
    ok ""
    clickmenu exit
    for _ in $(seq 100); do [ -e "$d/kestrix.status" ] && break; sleep 0.1; done
    same "desktop: the exit command ends the program with status 0" "$(cat "$d/kestrix.status" 2>/dev/null)" 0
    guipid=
}
