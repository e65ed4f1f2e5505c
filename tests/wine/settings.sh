# Group 2: kestrix.ini written by one build and read by the other, through
# the real programs and through each build's own profile layer.

nativeget() { # SECTION KEY FILE
    "$bin/profileprobe" get "$1" "$2" "$3"
}

winget() { # SECTION KEY FILE
    winrun "$bin/profileprobe.exe" get "$1" "$2" "$(winpath "$3")" | tr -d '\r'
}

winset() { # SECTION KEY VALUE FILE
    winrun "$bin/profileprobe.exe" set "$1" "$2" "$3" "$(winpath "$4")"
}

settings_tests() {
    echo "--- group 2: the settings file"
    d=$work/settings
    mkdir -p "$d/a/poser" "$d/b/poser" "$d/c"
    # A kestrix.ini in the current folder is the one both console programs
    # read and update (else each keeps its own in the user's folders).
    : >"$d/a/kestrix.ini"
    : >"$d/b/kestrix.ini"

    # The Windows program remembers the folder; the portable reader reads it.
    (cd "$d/a" && winrun "$wincli" --quiet --poser poser "$(winpath "$top/examples/water.krx")" >/dev/null 2>&1)
    same "settings: Windows-written folder read by the portable build" \
        "$(nativeget poserinfo poseraddr "$d/a/kestrix.ini")" "value=$(winpath "$d/a/poser")"
    check "settings: the Windows build writes the file with CR LF" crlfonly "$d/a/kestrix.ini"

    # The portable build remembers the folder; the Windows program reads it
    # and, given no folder, converts into the remembered one.
    (cd "$d/b" && "$nativecli" --quiet --poser poser "$top/examples/water.krx" >/dev/null 2>&1)
    same "settings: portable-written folder read by the Windows build" \
        "$(winget poserinfo poseraddr "$d/b/kestrix.ini")" "value=$d/b/poser"
    (cd "$d/b" && winrun "$wincli" --quiet "$(winpath "$top/examples/methane.krx")" >/dev/null 2>&1)
    check "settings: the Windows program converts into the folder the portable build remembered" \
        samebutcrlf "$d/b/poser/Runtime/Libraries/character/Molecules/methane.cr2" \
        "$work/console/examples/native/poser/Runtime/Libraries/character/Molecules/methane.cr2"

    # Without a kestrix.ini in the current folder the Windows console
    # program keeps its settings in %APPDATA%\kestrix, which it makes; a
    # first run without --poser names that file, a later one from another
    # folder converts into the folder remembered there.
    appdata=$(winrun cmd /c echo %APPDATA% | tr -d '\r')
    userini=$(winepath -u "$appdata\\kestrix\\kestrix.ini")
    rm -rf "$(dirname "$userini")"
    mkdir -p "$d/e/poser" "$d/f"
    (cd "$d/e" && winrun "$wincli" --quiet "$(winpath "$top/examples/water.krx")" >/dev/null 2>stderr)
    same "settings: a first Windows run says how to give the folder and where it goes" "$(tr -d '\r' <"$d/e/stderr")" \
        "kestrix: $(winpath "$top/examples/water.krx"): I don't know where Poser is installed: give its folder with --poser DIR; it is then remembered in $appdata\\kestrix\\kestrix.ini"
    (cd "$d/e" && winrun "$wincli" --quiet --poser poser "$(winpath "$top/examples/water.krx")" >/dev/null 2>&1)
    same "settings: the Windows program remembers the folder in %APPDATA%" \
        "$(nativeget poserinfo poseraddr "$userini")" "value=$(winpath "$d/e/poser")"
    check "settings: and writes no kestrix.ini in the current folder" test ! -e "$d/e/kestrix.ini"
    (cd "$d/f" && winrun "$wincli" --quiet "$(winpath "$top/examples/methane.krx")" >/dev/null 2>&1)
    check "settings: a later Windows run converts into the folder remembered in %APPDATA%" \
        test -s "$d/e/poser/Runtime/Libraries/character/Molecules/methane.cr2"
    rm -rf "$(dirname "$userini")"

    # Edits from both sides keep each other's sections and keys; names are
    # compared without regard to case; values keep their spaces.
    f=$d/c/kestrix.ini
    "$bin/profileprobe" set other key one "$f"
    "$bin/profileprobe" set poserinfo poseraddr 'C:\Program Files\Poser 11' "$f"
    same "settings: portable value with spaces read by Windows" \
        "$(winget poserinfo poseraddr "$f")" 'value=C:\Program Files\Poser 11'
    same "settings: section and key names ignore case on Windows" \
        "$(winget POSERINFO PoserAddr "$f")" 'value=C:\Program Files\Poser 11'
    winset poserinfo poseraddr 'D:\Poser Pro' "$f"
    same "settings: Windows value read by the portable build" \
        "$(nativeget poserinfo poseraddr "$f")" 'value=D:\Poser Pro'
    same "settings: the portable build's other section survives a Windows write" \
        "$(nativeget other key "$f")" "value=one"
    winset added k v "$f"
    "$bin/profileprobe" set poserinfo poseraddr 'E:\p' "$f"
    same "settings: portable rewrite of a Windows-edited file read by Windows" \
        "$(winget poserinfo poseraddr "$f")" 'value=E:\p'
    same "settings: a Windows-added section survives a portable write" \
        "$(nativeget added k "$f")" "value=v"
    same "settings: a missing key reads as the default on both builds" \
        "$(winget poserinfo nothing "$f") $(nativeget poserinfo nothing "$f")" "value=(none) value=(none)"
}
