"""The commands the README and the manual pages show, run as written.

Each command block (an indented block of README.md, an example block of a
page's EXAMPLES section) runs as one shell script in a scratch folder set
up as the README says its commands are meant: the current folder a copy of
the examples folder, HOME a new folder holding a Poser installation at
~/Poser, the programs under test first on PATH. Every block must succeed.
A command whose comment begins "# your own files" (it needs files the
reader brings) or "# long job" (it takes minutes) is not run; blocks of
description text, messages and usage lines are not commands.

usage: commands.py SOURCE_DIR BIN_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

src, bindir = sys.argv[1], os.path.abspath(sys.argv[2])

# The documents and how each shows its command blocks.
DOCUMENTS = [("README.md", "markdown"), ("docs/kestrix-cli.1", "man"), ("docs/kestrix-import.1", "man")]
# The first words that make a block one of commands.
COMMANDS = {"kestrix-cli", "kestrix-import", "cmake", "find", "sudo", "wine", "node", "blender", "cp", "cd"}
MARKS = ("# your own files", "# long job")


def markdown_blocks(text):
    """Indented blocks (four spaces, after a blank line), with their first line's number."""
    blocks, block, start, blank = [], None, 0, True
    for n, line in enumerate(text.split("\n"), 1):
        if block is None and blank and line.startswith("    ") and line.strip():
            block, start = [], n
        if block is not None:
            if line.startswith("    ") or not line.strip():
                if line.strip():
                    block.append(line[4:])
                    continue
            blocks.append((start, block))
            block = None
        blank = not line.strip()
    if block:
        blocks.append((start, block))
    return blocks


def man_blocks(text):
    """The .nf ... .fi blocks of the EXAMPLES section, as the page shows them."""
    blocks, block, section = [], None, None
    for n, line in enumerate(text.split("\n"), 1):
        if line.startswith(".SH "):
            section = line[4:].strip().strip('"')
        elif section == "EXAMPLES" and line.startswith(".nf"):
            block, start = [], n + 1
        elif block is not None and line.startswith(".fi"):
            blocks.append((start, block))
            block = None
        elif block is not None:
            block.append(line.replace("\\-", "-").replace("\\e", "\\").replace("\\&", ""))
    return blocks


def commands(lines):
    """A block's commands (a line ending in | or \\ goes on on the next)."""
    out, cur = [], ""
    for line in lines:
        cur = cur + "\n" + line if cur else line
        if not re.search(r"\|\s*(#.*)?$|\\$", line):
            out.append(cur)
            cur = ""
    if cur:
        out.append(cur)
    return out


def iscommandblock(lines):
    first = lines[0].split()[0] if lines and lines[0].split() else ""
    if first not in COMMANDS and not first.startswith("./"):
        return False
    # Usage lines: kestrix-cli [--poser DIR] ... DESCRIPTION.krx...
    return not all(re.search(r"\[-|\.\.\.$", line) for line in lines)


def marked(command):
    return any(re.search(r"\s" + re.escape(m), command) for m in MARKS)


def run(script):
    work = tempfile.mkdtemp()
    try:
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "Poser", "Runtime"))
        here = os.path.join(work, "examples")
        shutil.copytree(os.path.join(src, "examples"), here)
        env = {k: v for k, v in os.environ.items() if k not in ("XDG_CONFIG_HOME", "KESTRIX_NO_AVX2")}
        env.update(HOME=home, PATH=bindir + os.pathsep + os.environ.get("PATH", ""))
        r = subprocess.run(["sh", "-e", "-c", script], cwd=here, env=env, capture_output=True, text=True,
                           timeout=120)
        return r.returncode, r.stdout + r.stderr
    finally:
        shutil.rmtree(work)


failures, ran, left = [], 0, 0
for name, kind in DOCUMENTS:
    text = open(os.path.join(src, name), encoding="utf-8").read()
    for line, block in markdown_blocks(text) if kind == "markdown" else man_blocks(text):
        if not iscommandblock(block):
            continue
        todo = [c for c in commands(block) if not marked(c)]
        left += len(commands(block)) - len(todo)
        if not todo:
            continue
        ran += len(todo)
        status, output = run("\n".join(todo))
        where = f"{name}:{line}"
        if status == 0:
            print(f"ok   {where}: {todo[0]}" + (f" (and {len(todo) - 1} more)" if len(todo) > 1 else ""))
        else:
            failures.append(where)
            print(f"FAIL {where}: exit status {status}\n  " + "\n  ".join(todo) + "\n" + output)

print(f"{ran} commands run, {left} marked and left out, {len(failures)} blocks failed")
sys.exit(1 if failures or ran == 0 else 0)
