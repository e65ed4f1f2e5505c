#!/bin/sh
# Builds kestrix every way it ships and runs every test:
#   1. the native build, warnings as errors, with CTest (the benchmarks are
#      built and run briefly, so that they keep working);
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Windows build (MinGW-w64) and its tests under Wine;
#   4. a bounded run of the fuzzer.
# Installs what is missing first (Debian packages, the npm test packages).
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
stage() { # stage NAME COMMAND...
    name=$1
    shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
        echo "=== $name: passed"
    else
        failed=$((failed + 1))
        echo "=== $name: FAILED"
    fi
}

build() { # build DIR CMAKE-OPTIONS...
    dir=$1
    shift
    cmake -S "$top" -B "$dir" -G Ninja -DKESTRIX_WERROR=ON "$@" >/dev/null && cmake --build "$dir" -j "$jobs"
}

native() {
    build "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIX_BENCH=ON &&
        ctest --test-dir "$top/build" -j "$jobs" --output-on-failure
}

sanitized() {
    build "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON &&
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir "$top/build-asan" -j "$jobs" --output-on-failure
}

windows() {
    build "$top/build-mingw" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release &&
        (cd "$top/build-mingw" && cpack -G ZIP >/dev/null) &&
        "$top/tests/wine/run.sh" "$top/build" "$top/build-mingw"
}

fuzz() {
    "$top/tests/fuzz/run.sh" "$top/build-fuzz" 60
}

"$top/scripts/setup.sh" || exit 1
[ -x "$top/tests/writers/gltf/setup.sh" ] && "$top/tests/writers/gltf/setup.sh"

stage "native build and tests" native
stage "sanitizer build and tests" sanitized
stage "Windows build and tests under Wine" windows
stage "fuzzing" fuzz

echo "stages: $passed passed, $failed failed"
test "$failed" -eq 0
