# The ZIP a Windows user downloads: what it holds, that its programs need no
# MinGW DLL, and that they run from the unpacked folder.

package_tests() {
    echo "--- the package"
    zip=$(ls "$mingw"/kestrix-*-win64.zip 2>/dev/null | head -n 1)
    if [ -z "$zip" ]; then
        (cd "$mingw" && cpack -G ZIP >"$work/cpack.log" 2>&1)
        zip=$(ls "$mingw"/kestrix-*-win64.zip 2>/dev/null | head -n 1)
    fi
    if [ -z "$zip" ]; then
        fail "package: no kestrix-VERSION-win64.zip (see $work/cpack.log)"
        return
    fi
    p=$work/package
    mkdir -p "$p"
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$p"
    top_dir=$(basename "$zip" .zip)
    for f in kestrix.exe kestrix-cli.exe kestrix-import.exe kestrix_readme.txt LICENSE THIRD-PARTY-NOTICES.txt \
        examples/water.krx; do
        check "package: holds $f" test -s "$p/$top_dir/$f"
    done
    version=$(sed -n 's/^project(kestrix VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
    check "package: the readme begins with the version ($version)" \
        sh -c "head -n 1 '$p/$top_dir/kestrix_readme.txt' | tr -d '\r' | grep -qx 'kestrix $version'"
    check "package: the readme has Windows line ends" crlfonly "$p/$top_dir/kestrix_readme.txt"
    # The formats the Windows importer reads: those of the Linux one but CML.
    check "package: the readme lists the formats kestrix-import.exe reads" \
        grep -q "(XYZ, PDB, mmCIF, MOL/SDF and MOL2)" "$p/$top_dir/kestrix_readme.txt"
    # Every library linked into the programs, named, with its licence text.
    notices=$p/$top_dir/THIRD-PARTY-NOTICES.txt
    for text in "zlib 1.2" "Permission is granted to anyone to use this software" \
        "gemmi 0.5" "Mozilla Public License Version 2.0" \
        "PEGTL 3" "Boost Software License - Version 1.0" \
        "libstdc++ and libgcc" "GCC RUNTIME LIBRARY EXCEPTION" "GNU GENERAL PUBLIC LICENSE" \
        "MinGW-w64 runtime" "Zope Public License 2.1" "winpthreads"; do
        check "package: the third-party notices hold \"$text\"" grep -q -F "$text" "$notices"
    done
    check "package: the notices have Windows line ends" crlfonly "$notices"
    python3 "$top/src/shell/makeicon.py" "$p/icon.ico"
    check "package: the program's icon is the one makeicon.py draws" cmp -s "$p/icon.ico" "$top/src/shell/kestrix.ico"
    for exe in kestrix.exe kestrix-cli.exe kestrix-import.exe; do
        dlls=$(x86_64-w64-mingw32-objdump -p "$p/$top_dir/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' |
            sort | tr '\n' ' ')
        check "package: $exe needs only system DLLs ($dlls)" \
            sh -c "! echo '$dlls' | grep -qE 'libstdc|libgcc|libwinpthread|mingw'"
        check "package: $exe is stripped" sh -c "x86_64-w64-mingw32-nm '$p/$top_dir/$exe' 2>&1 | grep -q 'no symbols'"
        # The version resource (Explorer's Properties > Details).
        python3 "$top/tests/wine/versioninfo.py" "$p/$top_dir/$exe" >"$work/version.txt"
        for line in "ProductName=kestrix" "ProductVersion=$version" "FileVersion=$version" \
            "FileVersion#=$version.0" "ProductVersion#=$version.0" "OriginalFilename=$exe"; do
            check "package: $exe's version resource: $line" grep -q -x -F "$line" "$work/version.txt"
        done
        check "package: $exe's version resource names the MIT licence" grep -q "^LegalCopyright=.*MIT licence" \
            "$work/version.txt"
    done
    # The unpacked console program converts an example beside it.
    mkdir -p "$p/poser"
    (cd "$p" && winrun "$p/$top_dir/kestrix-cli.exe" --quiet --poser poser "$(winpath "$p/$top_dir/examples/water.krx")" \
        >"$p/stdout" 2>&1)
    check "package: its kestrix-cli.exe converts an example" test -s "$p/poser/kestrix/water.obj"
}
