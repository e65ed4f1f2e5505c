#!/bin/sh
# Fails when a writer, geometry, bond-angle or model unit calls one of the C
# library's transcendental functions (sin, cos, sincos, acos, atan2, pow, exp,
# log, or their float and long double forms), the portable trigonometry
# included: the bytes the writers print must not depend on how a C library
# rounds these, so the figures take their angles from the portable
# trigonometry in trig.cpp (which needs none of them) and their colours
# from a table. (log10, which the number printer uses for a first guess that
# it then corrects, is not in the list.)
#
# Both the sources and the objects are searched: a call with constant
# arguments leaves no trace in an object the compiler folded it in (and may
# not be folded by another compiler), and the compiler makes calls of its own
# (sin and cos of one angle become sincos).
#
# usage: libm.sh NM SRC_DIR LIBRARY...   (one line per call, exit status 1)
nm=$1
src=$2
shift 2
names='(sin|cos|sincos|acos|atan2|pow|exp|log)[fl]?'
found=$(
    for f in $(cd "$src" && find geometry angles model writers -name '*.cpp' -o -name '*.h' 2>/dev/null | LC_ALL=C sort); do
        sed 's|//.*||' "$src/$f" | grep -nE "(^|[^A-Za-z0-9_.>:]|std::)$names *\(" | sed "s|^|$f:|; s|\$| : a call of the C library|"
    done
    "$nm" -A -u "$@" | awk -v names="^$names\$" '
        {
            name = $NF
            sub(/@.*/, "", name)
            if (name !~ names)
                next
            where = $1
            sub(/:$/, "", where)
            print where ": calls " name
        }')
if [ -n "$found" ]; then
    echo "$found"
    exit 1
fi
exit 0
