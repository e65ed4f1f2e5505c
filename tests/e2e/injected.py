#!/usr/bin/env python3
"""Failures the system gives at one exact call, and what the programs say.

Each case injects errors with strace at the Nth call of a kind (a disk that
turns read-only between the two renames of a pair and refuses the undo too; a
permission change, owner change or flush of a temporary file that fails) and checks
the exit status, the message (every output holding new content is named, and
where each old file is kept) and what every name holds afterwards.

usage: injected.py KESTRIX_CLI KESTRIX_IMPORT
Exit 77 (skipped) where strace is missing or cannot trace.
"""

import os
import shutil
import subprocess
import sys
import tempfile

from cases import heard, programs, runcases

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "data", "golden")
IMPORTDATA = os.path.join(HERE, "..", "import", "data")
CR2 = "poser/Runtime/Libraries/character/Molecules/water.cr2"
OBJ = "poser/kestrix/water.obj"
INI = "config/kestrix/kestrix.ini"
OLD = b"old\n"
NEW = "new"  # stands for the file a run without faults writes
NOBODY = 65534


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data, mode=0o644, owner=None):
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)
    if owner is not None:
        os.chown(path, owner, owner)


def hidden(top):
    return sorted(os.path.join(r, n) for r, _, fs in os.walk(top) for n in fs if n.startswith(".kestrix-"))


# name, program ("poser", "glb", "import"), what stands before ({name:
# (content, mode, owner)}), injections, exit status, texts the message must
# hold ({} marks the hidden file that keeps an old one), what stands after
# ({name: content or NEW or None}; "{kept}" is the hidden file named).
CASES = [
    ("undo of the mesh fails after the figure's rename failed", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["renameat2:error=EIO:when=2..3"], 1,
     ["I can't write this file: {top}/" + CR2 + " (input/output error)",
      "this file is not as it was: {top}/" + OBJ +
      " (it holds the new file; the old one could not be put back (input/output error) and is kept as {kept})"],
     {CR2: OLD, OBJ: NEW, "{kept}": OLD}),
    ("removal of a new mesh fails after the figure's rename failed", "poser", {},
     ["renameat2:error=EIO:when=2", "unlink:error=EIO:when=1"], 1,
     ["I can't write this file: {top}/" + CR2 + " (input/output error)",
      "this file is not as it was: {top}/" + OBJ +
      " (it holds the new file, which could not be removed again (input/output error); no file stood there before)"],
     {CR2: None, OBJ: NEW}),
    ("the figure's rename fails, the undo works", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["renameat2:error=EIO:when=2"], 1,
     ["I can't write this file: {top}/" + CR2 + " (input/output error)"], {CR2: OLD, OBJ: OLD}),
    ("fchmod of the figure's temporary fails", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["fchmod:error=EIO:when=1"], 1,
     ["I can't open this file: {top}/" + CR2 + " (input/output error)"], {CR2: OLD, OBJ: OLD}),
    ("fchmod of the mesh's temporary fails", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["fchmod:error=EPERM:when=2"], 1,
     ["I can't open this file: {top}/" + OBJ + " (operation not permitted)"], {CR2: OLD, OBJ: OLD}),
    ("fchmod of a new figure's temporary fails", "poser", {}, ["fchmod:error=EIO:when=1"], 1,
     ["I can't open this file: {top}/" + CR2 + " (input/output error)"], {CR2: None, OBJ: None}),
    ("fchown of another user's figure fails (root)", "poser",
     {CR2: (OLD, 0o644, NOBODY), OBJ: (OLD, 0o644, None)}, ["fchown:error=EPERM:when=1"], 1,
     ["I can't open this file: {top}/" + CR2 + " (operation not permitted)"], {CR2: OLD, OBJ: OLD}),
    ("fchmod of the settings' temporary fails", "poser",
     {INI: (b"[poserinfo]\nposeraddr=/elsewhere\n", 0o644, None)}, ["fchmod:error=EIO:when=3"], 0,
     ["I can't remember the Poser folder in this file: {top}/" + INI + " (input/output error)"],
     {INI: b"[poserinfo]\nposeraddr=/elsewhere\n", CR2: NEW, OBJ: NEW}),
    ("fchmod of the .glb's temporary fails", "glb", {"out.glb": (OLD, 0o644, None)},
     ["fchmod:error=EIO:when=1"], 1, ["I can't open this file: {top}/out.glb (input/output error)"],
     {"out.glb": OLD}),
    ("fchmod of the import's temporary fails", "import", {"out.krx": (OLD, 0o644, None)},
     ["fchmod:error=EIO:when=1"], 1, ["cannot write: {top}/out.krx: input/output error"], {"out.krx": OLD}),
    # fsync 1 and 2: the figure's and the mesh's temporary files; 3 and 4
    # their folders after the renames.
    ("fsync of the figure's temporary fails", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["fsync:error=EIO:when=1"], 1,
     ["I can't write this file: {top}/" + CR2 + " (input/output error)"], {CR2: OLD, OBJ: OLD}),
    ("fsync of the figure's folder fails after the renames", "poser",
     {CR2: (OLD, 0o644, None), OBJ: (OLD, 0o644, None)}, ["fsync:error=EIO:when=4"], 1,
     ["I can't write this file: {top}/" + CR2 + " (input/output error)",
      "this file is not as it was: {top}/" + CR2 + " (it holds the new file, which may not survive a power loss)"],
     {CR2: NEW, OBJ: NEW}),
    ("fsync of the .glb's temporary fails", "glb", {"out.glb": (OLD, 0o644, None)},
     ["fsync:error=EDQUOT:when=1"], 1, ["{top}/out.glb (disk quota exceeded)"], {"out.glb": OLD}),
    ("fsync of the import's temporary fails", "import", {"out.krx": (OLD, 0o644, None)},
     ["fsync:error=ENOSPC:when=1"], 1, ["{top}/out.krx: no space left on device"], {"out.krx": OLD}),
    ("fsync of the settings' temporary fails", "poser",
     {INI: (b"[poserinfo]\nposeraddr=/elsewhere\n", 0o644, None)}, ["fsync:error=EIO:when=5"], 0,
     ["I can't remember the Poser folder in this file: {top}/" + INI + " (input/output error)"],
     {INI: b"[poserinfo]\nposeraddr=/elsewhere\n", CR2: NEW, OBJ: NEW}),
]


def command(cli, imp, program, top):
    if program == "poser":
        return [cli, "--quiet", "--force", "--poser", "poser", "--cr2", "water", "--obj", "water",
                os.path.join(top, "water.krx")]
    if program == "glb":
        return [cli, "--glb", "--quiet", "--force", "-o", os.path.join(top, "out.glb"),
                os.path.join(top, "water.krx")]
    return [imp, "--force", "-o", os.path.join(top, "out.krx"), os.path.join(IMPORTDATA, "adamantane.xyz")]


def prepare(top, before):
    for d in ("poser/Runtime/Libraries/character/Molecules", "poser/kestrix", "config/kestrix"):
        os.makedirs(os.path.join(top, d), exist_ok=True)
    shutil.copy(os.path.join(GOLDEN, "water.krx"), os.path.join(top, "water.krx"))
    for name, (content, mode, owner) in before.items():
        write(os.path.join(top, name), content, mode, owner)


def run(cmd, top, injects=()):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(top, "config"))
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    if injects:
        kinds = sorted(set(i.split(":")[0] for i in injects))
        cmd = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + ",".join(kinds)] + \
            [a for i in injects for a in ("-e", "inject=" + i)] + cmd
    p = subprocess.run(cmd, cwd=top, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=60)
    return p.returncode, p.stderr.decode("latin-1")


def check(cli, imp, case):
    name, program, before, injects, status, texts, after = case
    if any(owner is not None for _, _, owner in before.values()) and os.geteuid() != 0:
        return "skipped (root only)"
    # What each output holds when nothing fails.
    ref = tempfile.mkdtemp(prefix="kestrix-injected-")
    top = tempfile.mkdtemp(prefix="kestrix-injected-")
    try:
        prepare(ref, {})
        rc, err = run(command(cli, imp, program, ref), ref)
        if rc != 0:
            return "the reference run failed: " + err
        prepare(top, before)
        rc, err = run(command(cli, imp, program, top), top, injects)
        if "strace: " in err or "Sanitizer" in err:
            return err
        kept = [k for k in hidden(top) if "{kept}" in after]
        keptname = kept[0] if kept else "?"
        problems = heard(rc, status, err, [t.replace("{kept}", keptname) for t in texts], top)
        for n, want in after.items():
            path = keptname if n == "{kept}" else os.path.join(top, n)
            if want == NEW:
                want = read(os.path.join(ref, n))
            got = read(path) if os.path.exists(path) else None
            if got != want:
                problems.append("%s holds %r, not %r" % (n, (got or b"")[:20] if got is not None else None,
                                                        (want or b"")[:20] if want is not None else None))
        for n, (_, mode, _) in before.items():
            path = os.path.join(top, n)
            if os.path.exists(path) and os.stat(path).st_mode & 0o7777 != mode:
                problems.append("%s lost its mode" % n)
        stray = [h for h in hidden(top) if h not in kept]
        if stray:
            problems.append("temporary files left: %s" % stray)
        return "; ".join(problems + ([err.strip()] if problems else []))
    finally:
        shutil.rmtree(ref, ignore_errors=True)
        shutil.rmtree(top, ignore_errors=True)


def main():
    named = programs(__doc__, 2)
    if named is None:
        return 2
    if not shutil.which("strace") or subprocess.run(["strace", "-qq", "-o", "/dev/null", "true"]).returncode:
        print("skipped: strace is missing or cannot trace here (apt-get install strace)")
        return 77
    cli, imp = named
    return runcases(CASES, lambda case: check(cli, imp, case))


if __name__ == "__main__":
    sys.exit(main())
