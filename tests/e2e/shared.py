#!/usr/bin/env python3
"""Outputs in folders other users share, end to end: another user's file in
a folder every user may write (a hard link to it is refused under
fs.protected_hardlinks), links planted by another user in a sticky folder,
and the two renames of a pair with no other call between them.

Each case prepares a folder of its own, runs one program (as root or as a
test user made with useradd), under strace where a call is to be watched or
a kill placed, and checks the exit status, the message and what every name
holds afterwards. Cases that need another user are skipped, with a line
saying so, where the test is not root.

usage: shared.py KESTRIX_CLI KESTRIX_IMPORT
"""

import os
import shutil
import subprocess
import sys
import tempfile

from cases import heard, programs, runcases, testuser

HERE = os.path.dirname(os.path.abspath(__file__))
WATER = os.path.join(HERE, "..", "data", "golden", "water.krx")
XYZ = os.path.join(HERE, "..", "import", "data", "water.xyz")
CR2 = "poser/Runtime/Libraries/character/Molecules/water.cr2"
OBJ = "poser/kestrix/water.obj"
OLD = b"old\n"
NEW = "new"  # what a run without faults writes
VICTIM = b"root's own\n"
UNTRUSTED = "a symbolic link of another user in a folder every user may write (sticky), not followed"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def roots_pair(top, user):
    """root's old figure and mesh in Poser folders every user may write."""
    for d in (os.path.dirname(CR2), os.path.dirname(OBJ)):
        os.makedirs(os.path.join(top, d))
    for d, _, _ in os.walk(os.path.join(top, "poser")):
        os.chmod(d, 0o777)
    for n in (CR2, OBJ):
        with open(os.path.join(top, n), "wb") as f:
            f.write(OLD)


def planted(name):
    """In the sticky folder, the test user's link at name to a file of
    root's own."""
    def setup(top, user):
        os.chmod(top, 0o1777)
        with open(os.path.join(top, "victim"), "wb") as f:
            f.write(VICTIM)
        os.chmod(os.path.join(top, "victim"), 0o600)
        if os.path.dirname(name):
            os.makedirs(os.path.join(top, os.path.dirname(name)), exist_ok=True)
        os.symlink(os.path.join(top, "victim"), os.path.join(top, name))
        os.lchown(os.path.join(top, name), *user)
    return setup


def own_link(top, user):
    """In the sticky folder, root's own link: followed."""
    os.chmod(top, 0o1777)
    with open(os.path.join(top, "target.glb"), "wb") as f:
        f.write(OLD)
    os.symlink("target.glb", os.path.join(top, "out.glb"))


def command(cli, imp, program, top):
    if program == "poser":
        return [cli, "--quiet", "--force", "--poser", "poser", os.path.join(top, "water.krx")]
    if program == "poser-no-force":
        return [cli, "--quiet", "--poser", "poser", os.path.join(top, "water.krx")]
    if program == "glb":
        return [cli, "--glb", "--quiet", "--force", "-o", os.path.join(top, "out.glb"),
                os.path.join(top, "water.krx")]
    return [imp, "--force", "-o", os.path.join(top, "out.krx"), XYZ]


# name, setup(top, user), program, run as the test user, strace arguments
# (injections; "window" traces renames), exit status, texts of the message,
# what stands after ({name: bytes, NEW or None}).
CASES = [
    ("another user's pair replaced: a kill at the second rename leaves both names", roots_pair, "poser",
     True, ["-e", "trace=renameat2", "-e", "inject=renameat2:signal=SIGKILL:when=2"], -9, [],
     {CR2: OLD, OBJ: NEW}),
    ("another user's pair replaced, whole", roots_pair, "poser", True, [], 0, [], {CR2: NEW, OBJ: NEW}),
    ("the two renames of a pair follow each other with nothing between", roots_pair, "poser", False,
     "window", 0, [], {CR2: NEW, OBJ: NEW}),
    ("--glb --force: another user's link in a sticky folder", planted("out.glb"), "glb", False, [], 1,
     ["{top}/out.glb (" + UNTRUSTED + ")"], {"victim": VICTIM}),
    ("kestrix-import --force: another user's link in a sticky folder", planted("out.krx"), "import", False, [],
     1, ["{top}/out.krx: " + UNTRUSTED], {"victim": VICTIM}),
    ("kestrix.ini: another user's link in a sticky folder", planted("kestrix.ini"), "poser-no-force", False, [],
     0, ["I can't remember the Poser folder in this file: {top}/kestrix.ini (" + UNTRUSTED + ")"],
     {"victim": VICTIM}),
    ("--glb --force: one's own link in a sticky folder is followed", own_link, "glb", False, [], 0, [],
     {"target.glb": NEW}),
]


def run(cmd, top, user, asuser, trace):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(top, "config"))
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    log = os.path.join(top, "trace")
    if trace == "window":
        cmd = ["strace", "-f", "-qq", "-o", log] + cmd
    elif trace:
        cmd = ["strace", "-f", "-qq", "-o", "/dev/null"] + trace + cmd

    def drop():
        os.setgid(user[1])
        os.setuid(user[0])
    p = subprocess.run(cmd, cwd=top, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60,
                       preexec_fn=drop if asuser else None)
    err = p.stderr.decode("latin-1")
    if trace == "window":
        calls = read(log).decode("latin-1").splitlines()
        os.remove(log)
        renames = [i for i, c in enumerate(calls) if "renameat2(" in c and ".kestrix-" in c.split(",")[1]]
        if len(renames) < 2 or renames[1] != renames[0] + 1:
            err += "\ncalls between the renames: %r" % calls[renames[0]:renames[-1] + 1]
            return -1, err
    # A kill injected by strace: strace ends with the program's signal.
    rc = p.returncode
    return (-9 if rc in (-9, 137) else rc), err


def check(cli, imp, case, user):
    name, setup, program, asuser, trace, status, texts, after = case
    if user is None:
        return "skipped (another user needs root and useradd)"
    if trace and not shutil.which("strace"):
        return "skipped (strace is missing)"
    ref = tempfile.mkdtemp(prefix="kestrix-shared-")
    top = tempfile.mkdtemp(prefix="kestrix-shared-")
    try:
        for t in (ref, top):
            os.chmod(t, 0o777)
            os.makedirs(os.path.join(t, "poser"), exist_ok=True)
            shutil.copy(WATER, os.path.join(t, "water.krx"))
        rc, err = run(command(cli, imp, program.split("-")[0], ref), ref, user, False, [])
        if rc != 0:
            return "the reference run failed: " + err
        setup(top, user)
        rc, err = run(command(cli, imp, program, top), top, user, asuser, trace)
        if "strace: " in err and "+++ killed" not in err:
            return err
        problems = heard(rc, status, err, texts, top)
        for n, want in after.items():
            if want == NEW:
                want = read(os.path.join(ref, {"target.glb": "out.glb"}.get(n, n)))
            path = os.path.join(top, n)
            got = read(path) if os.path.exists(path) else None
            if got != want:
                problems.append("%s holds %r" % (n, got[:20] if got is not None else None))
        return "; ".join(problems + ([err.strip()] if problems else []))
    finally:
        shutil.rmtree(ref, ignore_errors=True)
        shutil.rmtree(top, ignore_errors=True)


def main():
    named = programs(__doc__, 2)
    if named is None:
        return 2
    cli, imp = named
    user = testuser()
    if user is None:
        print("every case is skipped: another user needs root and useradd")
    return runcases(CASES, lambda case: check(cli, imp, case, user))


if __name__ == "__main__":
    sys.exit(main())
