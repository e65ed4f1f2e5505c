#!/bin/sh
# The Debian package made by `cpack -G DEB` in BUILD_DIR: its control fields
# and dependencies, the files it holds (dpkg-deb -c), lintian without an
# error, and its programs run from the unpacked package.
# usage: tests/package/deb.sh BUILD_DIR
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
. "$here/installed.sh"

deb=$(ls "$build"/kestrix_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    echo "FAIL: no kestrix_*.deb in $build (cpack -G DEB)"
    exit 1
fi
echo "package: $deb"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
field() { dpkg-deb -f "$deb" "$1"; }
check "deb: name" test "$(field Package)" = kestrix
check "deb: version $version" test "$(field Version)" = "$version"
check "deb: maintainer" sh -c "dpkg-deb -f '$deb' Maintainer | grep -q '<.*@.*>'"
check "deb: description" sh -c "dpkg-deb -f '$deb' Description | grep -q 'Poser'"
formats=$(helpformats "$build/bin/kestrix-import")
check "deb: the description names the formats kestrix-import reads ($formats)" \
    sh -c "dpkg-deb -f '$deb' Description | tr -s ' \n' '  ' | grep -q -F '$formats files'"
# Computed from what the programs are linked with, not written by hand.
depends=$(field Depends)
echo "depends: $depends"
check "deb: depends on the C library" sh -c "echo '$depends' | grep -q 'libc6 (>='"
for lib in $(objdump -p "$build/bin/kestrix-cli" "$build/bin/kestrix-import" | sed -n 's/^ *NEEDED *//p' | sort -u); do
    case $lib in
    libstdc++*) pkg=libstdc++6 ;;
    libgcc_s*) pkg=libgcc-s1 ;;
    *) continue ;;
    esac
    check "deb: depends on $pkg for $lib" sh -c "echo '$depends' | grep -q '$pkg'"
done

dpkg-deb -c "$deb" >"$work/contents"
sed 's/^/    /' "$work/contents"
for f in $FILES; do
    check "deb: lists /usr/$f" grep -q " \./usr/$f\$" "$work/contents"
done
check "deb: every file belongs to root" sh -c "! awk '{ print \$2 }' '$work/contents' | grep -v -x root/root"

lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
status=$?
sed 's/^/    lintian: /' "$work/lintian"
check "deb: lintian finds no error" test "$status" -eq 0 -a -z "$(grep '^E:' "$work/lintian")"

dpkg-deb -x "$deb" "$work/root"
for p in kestrix-cli kestrix-import; do
    check "deb: $p is stripped" sh -c "file '$work/root/usr/bin/$p' | grep -q ', stripped'"
done
checkinstalled "$work/root/usr" deb

echo "$pass passed, $fail failed"
test "$fail" -eq 0
