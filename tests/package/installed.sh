# Sourced by install.sh and deb.sh: checks an installed kestrix below ROOT
# (ROOT/bin, ROOT/share) file by file, then runs the installed programs on the
# installed examples and reads the installed manual pages.
# It also gives the sourcing script check DESCRIPTION COMMAND..., its
# counts (pass, fail) and a work folder removed at exit.

pass=0
fail=0
check() { # check DESCRIPTION COMMAND...
    what=$1
    shift
    if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL: $what"; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

FILES="bin/kestrix-cli
bin/kestrix-import
share/doc/kestrix/README.md
share/doc/kestrix/changelog.gz
share/doc/kestrix/copyright
share/doc/kestrix/docs/caffeine-blender.png
share/doc/kestrix/docs/caffeine-posed.png
share/doc/kestrix/docs/motion-strip.png
share/doc/kestrix/examples/caffeine.sdf
share/doc/kestrix/examples/water.krx
share/man/man1/kestrix-cli.1.gz
share/man/man1/kestrix-import.1.gz"

# manpage FILE: the page formats without a warning, and its NAME line.
manpage() {
    LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -E UTF-8 -l "$1" 2>"$work/man.err" | sed -n '/^NAME/{n;p;q}' |
        sed 's/^ *//'
    test ! -s "$work/man.err" || cat "$work/man.err" >&2
}

checkinstalled() { # ROOT WHAT
    root=$1
    for f in $FILES; do
        check "$2: $f" test -s "$root/$f"
    done
    # Every picture the installed README shows is installed beside it.
    for img in $(sed -n 's/.*](\(docs\/[^)]*\.png\)).*/\1/p' "$root/share/doc/kestrix/README.md"); do
        check "$2: the README's $img" test -s "$root/share/doc/kestrix/$img"
    done
    check "$2: the programs are executable" test -x "$root/bin/kestrix-cli" -a -x "$root/bin/kestrix-import"
    check "$2: kestrix-cli --version" sh -c "'$root/bin/kestrix-cli' --version | grep -q '^kestrix-cli [0-9]'"
    run=$work/run-$2
    mkdir -p "$run/poser"
    (cd "$run" && XDG_CONFIG_HOME=$run/config "$root/bin/kestrix-cli" --quiet --poser poser \
        "$root/share/doc/kestrix/examples/water.krx")
    check "$2: the installed kestrix-cli converts the installed water example" \
        test -s "$run/poser/Runtime/Libraries/character/Molecules/water.cr2" -a -s "$run/poser/kestrix/water.obj"
    "$root/bin/kestrix-import" -o "$run/caffeine.krx" "$root/share/doc/kestrix/examples/caffeine.sdf"
    check "$2: the installed kestrix-import imports the caffeine sample" grep -q '^atom ' "$run/caffeine.krx"
    (cd "$run" && "$root/bin/kestrix-cli" --quiet --glb caffeine.krx)
    check "$2: and kestrix-cli makes a glTF figure of it" test -s "$run/caffeine.glb"
    for page in kestrix-cli kestrix-import; do
        name=$(manpage "$root/share/man/man1/$page.1.gz")
        check "$2: man $page reads \"$name\"" sh -c "echo '$name' | grep -q -E '^$page +- '"
    done
    check "$2: the licence is MIT" grep -q "^Permission is hereby granted, free of charge" "$root/share/doc/kestrix/copyright"
    # Then the notices of the libraries inside the programs, each with its
    # licence text.
    for text in "gemmi 0.5" "Mozilla Public License Version 2.0" "PEGTL 3" "Boost Software License - Version 1.0" \
        "pugixml 1." "libstdc++ and libgcc" "GCC RUNTIME LIBRARY EXCEPTION"; do
        check "$2: the copyright file holds \"$text\"" grep -q -F "$text" "$root/share/doc/kestrix/copyright"
    done
    # The changelog names the formats the installed importer says it reads.
    formats=$(helpformats "$root/bin/kestrix-import")
    check "$2: the changelog names the formats ($formats)" \
        sh -c "zcat '$root/share/doc/kestrix/changelog.gz' | tr -s ' \n' '  ' | grep -q -F '$formats files'"
}

# helpformats PROGRAM: the formats kestrix-import's --help names
# ("XYZ, PDB, ... and CML").
helpformats() {
    "$1" --help | sed -n 's/^Turns \(.*\) files into.*/\1/p'
}
