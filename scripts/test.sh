#!/bin/sh
# Builds kestrix every way it ships and runs every test:
#   1. the native build, warnings as errors, with CTest (an install into a
#      temporary prefix among them; the benchmarks are built and run briefly,
#      so that they keep working);
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Debian package: its files, lintian, its programs;
#   4. the Windows build (MinGW-w64), its zip and its tests under Wine;
#   5. a bounded run of the fuzzer.
# Installs what is missing first (scripts/setup-tests.sh). Each stage's time
# is printed as it ends and again in the summary.
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
times=""
stage() { # stage NAME COMMAND...
    name=$1
    shift
    echo "=== $name"
    began=$(date +%s)
    if "$@"; then
        passed=$((passed + 1))
        result=passed
    else
        failed=$((failed + 1))
        result=FAILED
    fi
    took=$(($(date +%s) - began))
    echo "=== $name: $result ($took s)"
    times="$times$(printf '%6d s  %s: %s' "$took" "$name" "$result")
"
}

build() { # build DIR CMAKE-OPTIONS...
    dir=$1
    shift
    cmake -S "$top" -B "$dir" -G Ninja -DKESTRIX_WERROR=ON "$@" >/dev/null && cmake --build "$dir" -j "$jobs"
}

native() {
    build "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIX_TESTS=ON -DKESTRIX_BENCH=ON &&
        ctest --test-dir "$top/build" -j "$jobs" --output-on-failure
}

sanitized() {
    # -Og with line tables: the reports still name file and line, the
    # instrumented code runs the slowest cases several times quicker than at
    # -O0, and the build costs no more (full -g did, by a third).
    build "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-Og -g1" \
        -DKESTRIX_SANITIZE=ON -DKESTRIX_TESTS=ON &&
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir "$top/build-asan" -j "$jobs" --output-on-failure
}

# The package's programs are linked with the shared system libraries, as
# Debian wants: a build folder of their own (scripts/package.sh does the same).
debian() {
    build "$top/build-deb" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF -DKESTRIX_STATIC=OFF &&
        (cd "$top/build-deb" && cpack -G DEB >/dev/null) &&
        "$top/tests/package/deb.sh" "$top/build-deb"
}

windows() {
    build "$top/build-mingw" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release &&
        (cd "$top/build-mingw" && cpack -G ZIP >/dev/null) &&
        "$top/tests/wine/run.sh" "$top/build" "$top/build-mingw"
}

fuzz() {
    # The seeds are all run at the start (the ordinary build replays them
    # too); 30 s (15 s for the importer) is some thousands of mutations each.
    "$top/tests/fuzz/run.sh" "$top/build-fuzz" 30
}

all=$(date +%s)
"$top/scripts/setup-tests.sh" || exit 1
echo "=== set-up took $(($(date +%s) - all)) s"

stage "native build and tests" native
stage "sanitizer build and tests" sanitized
stage "Debian package" debian
stage "Windows build and tests under Wine" windows
stage "fuzzing" fuzz

echo "=== times"
printf '%s' "$times"
echo "$(printf '%6d' $(($(date +%s) - all))) s  all, set-up included"
echo "stages: $passed passed, $failed failed"
test "$failed" -eq 0
