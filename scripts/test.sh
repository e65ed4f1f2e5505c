#!/bin/sh
# Builds kestrix every way it ships and runs every test:
#   1. the native build, warnings as errors, with CTest (an install into a
#      temporary prefix among them; the benchmarks are built and run briefly,
#      so that they keep working);
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Windows build (MinGW-w64) and its zip;
#   4. the Debian package: its files, lintian, its programs;
#   5. a bounded run of the fuzzer;
#   6. the Windows build's tests under Wine, in the background beside
#      stages 4 and 5.
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
        (cd "$top/build-mingw" && cpack -G ZIP >/dev/null)
}

winetests() {
    "$top/tests/wine/run.sh" "$top/build" "$top/build-mingw"
}

# A stage in the background (the Wine tests mostly wait on Wine's start-up
# and on the desktop program's windows, not on the processors): its output
# is kept in a file and shown, with its time, once it has ended.
later=$top/build-mingw/later-stage
background() { # background NAME COMMAND...
    latername=$1
    shift
    rm -rf "$later"
    mkdir -p "$later"
    echo "=== $latername: started in the background"
    (
        began=$(date +%s)
        "$@" >"$later/output" 2>&1
        echo $? >"$later/status"
        echo $(($(date +%s) - began)) >"$later/took"
    ) &
    laterpid=$!
}
waitfor() { # the background stage's end, counted as a stage
    wait "$laterpid"
    echo "=== $latername"
    cat "$later/output"
    took=$(cat "$later/took" 2>/dev/null || echo 0)
    if [ "$(cat "$later/status" 2>/dev/null)" = 0 ]; then
        passed=$((passed + 1))
        result=passed
    else
        failed=$((failed + 1))
        result=FAILED
    fi
    echo "=== $latername: $result ($took s, beside the stages above)"
    times="$times$(printf '%6d s  %s: %s (beside the stages above)' "$took" "$latername" "$result")
"
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
stage "Windows build" windows
if [ "$result" = passed ]; then
    background "Windows tests under Wine" winetests
else
    background "Windows tests under Wine" false
fi
stage "Debian package" debian
stage "fuzzing" fuzz
waitfor

echo "=== times"
printf '%s' "$times"
echo "$(printf '%6d' $(($(date +%s) - all))) s  all, set-up included"
echo "stages: $passed passed, $failed failed"
test "$failed" -eq 0
