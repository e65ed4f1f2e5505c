# Finds the two builds' programs, builds the test's own helpers, prepares the
# Wine prefix, and stops everything the test started.

nativecli=
wincli=
winexe=
guipid=
xvfbpid=
openboxpid=

mingwcxx() {
    for c in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++; do
        command -v "$c" >/dev/null && { echo "$c"; return; }
    done
}

# helper NAME COMMAND...: builds one helper, output in $bin/NAME.log.
helper() {
    name=$1
    shift
    if "$@" >"$bin/$name.log" 2>&1; then return 0; fi
    cat "$bin/$name.log"
    return 1
}

setup() {
    nativecli=$native/bin/kestrix-cli
    wincli=$mingw/bin/kestrix-cli.exe
    winexe=$mingw/bin/kestrix.exe
    ok=0
    for f in "$nativecli" "$wincli" "$winexe" "$native/libkestrix_math.a" "$native/libkestrix_platform.a" \
        "$native/libkestrix_base.a" "$mingw/libkestrix_math.a" "$mingw/libkestrix_platform.a" "$mingw/libkestrix_base.a"; do
        [ -e "$f" ] || { fail "setup: $f is missing"; ok=1; }
    done
    for p in wine wineserver Xvfb openbox xdotool import python3 g++; do
        command -v "$p" >/dev/null || { fail "setup: $p is not installed"; ok=1; }
    done
    cxx=$(mingwcxx)
    [ -n "$cxx" ] || { fail "setup: no MinGW-w64 C++ compiler"; ok=1; }
    [ $ok -eq 0 ] || return 1

    # The helpers are linked with each build's own libraries, so they test
    # exactly what the programs run.
    flags="-std=c++17 -O2 -Wall -Wextra -ffp-contract=off -I$top/src"
    helper trigprobe g++ $flags "$here/trigprobe.cpp" "$native/libkestrix_math.a" -o "$bin/trigprobe" &
    helper trigprobe.exe "$cxx" $flags -static "$here/trigprobe.cpp" "$mingw/libkestrix_math.a" \
        -o "$bin/trigprobe.exe" &
    wait
    helper profileprobe g++ $flags "$here/profileprobe.cpp" "$native/libkestrix_platform.a" "$native/libkestrix_base.a" -o "$bin/profileprobe" &
    helper profileprobe.exe "$cxx" $flags -static "$here/profileprobe.cpp" "$mingw/libkestrix_platform.a" "$mingw/libkestrix_base.a" \
        -o "$bin/profileprobe.exe" &
    helper scratchprobe.exe "$cxx" $flags -static "$here/scratchprobe.cpp" "$mingw/libkestrix_platform.a" "$mingw/libkestrix_base.a" \
        -o "$bin/scratchprobe.exe" &
    wait
    # The probe takes and shows texts in UTF-8, as the programs do: it has
    # their manifest.
    helper winprobe.exe sh -c 'x86_64-w64-mingw32-windres -I "$1/src/platform" "$1/src/platform/utf8manifest.rc" \
        -O coff -o "$3/utf8manifest.o" &&
        "$2" -std=c++17 -O2 -Wall -Wextra -static "$1/tests/wine/winprobe.cpp" "$3/utf8manifest.o" -lgdi32 \
        -o "$3/winprobe.exe"' sh "$top" "$cxx" "$bin" &
    helper xdnd g++ -std=c++17 -O2 -Wall -Wextra "$here/xdnd.cpp" -lX11 -o "$bin/xdnd" &
    wait
    for h in trigprobe trigprobe.exe profileprobe profileprobe.exe scratchprobe.exe winprobe.exe xdnd; do
        [ -x "$bin/$h" ] || { fail "setup: the helper $h did not build"; ok=1; }
    done
    [ $ok -eq 0 ] || return 1

    if ! startxvfb; then
        fail "setup: no virtual screen (see $work/xvfb.log)"
        return 1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >"$work/wineboot.log" 2>&1
    fi
    # One server for the whole run, instead of one started by every program.
    wineserver -p
    if ! wine cmd /c exit 0 >/dev/null 2>&1; then
        fail "setup: Wine does not run programs (prefix $WINEPREFIX)"
        return 1
    fi
    pass "setup: programs found, helpers built, Wine prefix ready"
}

# One virtual screen for every Wine program of the run, started before the
# first of them. A Wine program that finds no DISPLAY starts Wine's desktop
# process (explorer.exe /desktop) without a display; that process outlives the
# program by a few seconds, and a window program started meanwhile joins its
# display-less desktop and never shows a window. With DISPLAY set from the
# beginning, every desktop process Wine starts is on this screen.
startxvfb() {
    # Xvfb picks a free display itself and writes its number once it takes
    # connections.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfbpid=$!
    for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || return 1
    export DISPLAY=:$(head -n 1 "$work/display")
}

# Wine's programs first (they hold connections to the screen), then the
# window manager, then the screen; quietly, so the count stays the last line.
stopall() {
    wineserver -k >/dev/null 2>&1
    [ -n "$guipid" ] && kill "$guipid" 2>/dev/null
    [ -n "$openboxpid" ] && kill "$openboxpid" 2>/dev/null && wait "$openboxpid" 2>/dev/null
    [ -n "$xvfbpid" ] && kill "$xvfbpid" 2>/dev/null && wait "$xvfbpid" 2>/dev/null
    wait 2>/dev/null
    return 0
}
