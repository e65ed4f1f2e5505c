"""The manual pages against the programs they describe.

For each program: every option its --help lists is an item of the page's
OPTIONS section, and every message the page's DIAGNOSTICS section shows is
printed, character for character, by one of the program's cases below.

usage: manpages.py SOURCE_DIR KESTRIX-CLI KESTRIX-IMPORT
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

src, cli, imp = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])

WATER_TYPO = open(os.path.join(src, "examples/water.krx")).read().replace("element H", "elemnt H")

# Each program: its page, and the cases whose messages its DIAGNOSTICS
# section may show: (files to make, arguments). A file's text of None is a
# copy of the source folder's file of that name. The scratch folder's
# "poser" folder is shown as /poser.
PROGRAMS = [
    (imp, "docs/kestrix-import.1", [
        ({"bad.sdf": "x\n"}, ["bad.sdf"]),
        ({"dummy.xyz": "3\n\nC 0 0 0\nX 0.3 0 0\nC 1.5 0 0\n"}, ["dummy.xyz"]),
        ({"benzene.xyz": "tests/data/molecules/benzene.xyz"}, ["benzene.xyz"]),
    ]),
    (cli, "docs/kestrix-cli.1", [
        ({"water.krx": WATER_TYPO}, ["--check", "water.krx"]),
        ({"water.krx": "examples/water.krx", "poser/Runtime/": "", "poser/kestrix/water.obj": "old\n"},
         ["--poser", "poser", "water.krx"]),
        ({"caffeine.sdf": "examples/caffeine.sdf"}, ["--glb", "caffeine.sdf"]),
    ]),
]

failures = []


def plain(roff):
    """A roff line as the page shows it."""
    return roff.replace("\\-", "-").replace("\\e", "\\").replace("\\&", "").replace("\\(oA", "\u00c5")


def sections(page):
    out, name = {}, None
    for line in page.split("\n"):
        if line.startswith(".SH "):
            name = line[4:].strip().strip('"')
            out[name] = []
        elif name:
            out[name].append(line)
    return out


OPTION = re.compile(r"(?<![\w./$-])(--?[A-Za-z][A-Za-z0-9-]*)")


def documented_options(lines):
    """The options the items (.TP) of an OPTIONS section name in their tags."""
    found = set()
    for i, line in enumerate(lines):
        if line.startswith(".TP") and i + 1 < len(lines):
            found.update(OPTION.findall(plain(lines[i + 1])))
    return found


def shown_messages(lines):
    """The lines of the example blocks (.nf ... .fi) of a section."""
    shown, inside = [], False
    for line in lines:
        if line.startswith(".nf"):
            inside = True
        elif line.startswith(".fi"):
            inside = False
        elif inside:
            shown.append(plain(line))
    return shown


def run_case(program, files, args):
    work = tempfile.mkdtemp()
    try:
        home = os.path.join(work, "home")
        os.makedirs(home)
        for name, text in files.items():
            path = os.path.join(work, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if name.endswith("/"):
                continue
            if text is not None and "\n" not in text and os.path.isfile(os.path.join(src, text)):
                shutil.copyfile(os.path.join(src, text), path)
            else:
                with open(path, "w") as f:
                    f.write(text)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
        r = subprocess.run([program] + args, cwd=work, env=env, capture_output=True, text=True, timeout=60)
        return (r.stdout + r.stderr).replace(os.path.join(work, "poser"), "/poser")
    finally:
        shutil.rmtree(work)


for program, pagename, cases in PROGRAMS:
    name = os.path.basename(program)
    page = sections(open(os.path.join(src, pagename), encoding="utf-8").read())
    helptext = subprocess.run([program, "--help"], capture_output=True, text=True).stdout
    listed = set(OPTION.findall(helptext))
    if not listed:
        failures.append(f"{name} --help lists no option")
    documented = documented_options(page.get("OPTIONS", []))
    for option in sorted(listed - documented):
        failures.append(f"{pagename}: {name} --help lists {option}, the OPTIONS section has no item for it")

    printed = "\n".join(run_case(program, files, args) for files, args in cases).split("\n")
    shown = shown_messages(page.get("DIAGNOSTICS", []))
    if not shown:
        failures.append(f"{pagename}: DIAGNOSTICS shows no message")
    for line in shown:
        if line not in printed:
            failures.append(f"{pagename}: DIAGNOSTICS shows a message {name} does not print: {line}")
    print(f"{name}: {len(listed)} options of --help, {len(shown)} messages shown")

for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
