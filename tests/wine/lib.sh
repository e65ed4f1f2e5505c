# Shared by the Wine test groups: counting, Wine, paths, file comparison.
# Sourced by run.sh, which sets top, native, mingw, work and bin.

passed=0
failed=0

pass() {
    passed=$((passed + 1))
    echo "ok   $*"
}

fail() {
    failed=$((failed + 1))
    echo "FAIL $*"
}

# check DESCRIPTION COMMAND...: counts the command's success or failure.
check() {
    desc=$1
    shift
    if "$@"; then pass "$desc"; else fail "$desc"; fi
}

# same DESCRIPTION GOT WANT
same() {
    if [ "$2" = "$3" ]; then
        pass "$1"
    else
        fail "$1"
        echo "     got:  $2"
        echo "     want: $3"
    fi
}

# The Windows form of a Linux path, as Wine shows it on drive Z:.
winpath() {
    printf 'Z:%s' "$1" | tr / '\\'
}

# winrun PROGRAM.exe ARGS...: a console program under Wine; its output
# keeps Windows line ends.
winrun() {
    wine "$@"
}

# crlfonly FILE: every line of FILE ends in CR LF, and no CR stands alone.
crlfonly() {
    python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
stripped = data.replace(b"\r\n", b"")
sys.exit(0 if data.endswith(b"\r\n") and b"\r" not in stripped and b"\n" not in stripped else 1)
PY
}

# samebutcrlf WINFILE NATIVEFILE: equal once CR LF has become LF.
samebutcrlf() {
    tr -d '\r' <"$1" | cmp -s - "$2"
}

# Messages of the two builds, with their work folders and path forms made alike.
normalmessages() { # FILE PREFIX-TO-REPLACE
    tr -d '\r' <"$1" | sed -e 's#Z:\\#/#g' -e 's#\\#/#g' -e "s#$2#WORK#g"
}
