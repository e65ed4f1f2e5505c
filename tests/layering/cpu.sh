#!/bin/sh
# Every path built for AVX2 is chosen through the one dispatch, useavx2() in
# src/base/cpu.cpp, which honours KESTRIX_NO_AVX2: no other unit asks the
# processor itself, and every unit with a function built for AVX2 consults
# useavx2().
#
# usage: cpu.sh SRC_DIR   (one line per fault, exit status 1)
cd "$1" || exit 2
status=0
for f in $(find . -name '*.cpp' -o -name '*.h' | LC_ALL=C sort); do
    f=${f#./}
    [ "$f" = base/cpu.cpp ] && continue
    if grep -nE '__builtin_cpu_supports|__builtin_cpu_init|__cpuid|<cpuid\.h>' "$f" | sed "s|^|$f:|; s|\$| : asks the processor itself|" | grep .; then
        status=1
    fi
    if grep -q 'target("avx2")' "$f" && ! grep -q 'useavx2()' "$f"; then
        echo "$f: a function built for AVX2, but no useavx2()"
        status=1
    fi
done
exit $status
