#!/usr/bin/env python3
"""Names that would break a file, reasons that must be the system's, and
paths with ".." through links, end to end through kestrix-cli.

Each case prepares a folder of its own (a description, a Poser folder,
maybe a settings file), runs kestrix-cli once and checks the exit status,
the message and what stands in the folder afterwards. Cases marked as the
test user's run as an unprivileged user made with useradd; they are skipped,
with a line saying so, where the test is not root.

usage: names.py KESTRIX_CLI
"""

import os
import shutil
import subprocess
import sys
import tempfile

from cases import heard, programs, runcases, testuser

HERE = os.path.dirname(os.path.abspath(__file__))
WATER = os.path.join(HERE, "..", "data", "golden", "water.krx")
CR2 = "poser/Runtime/Libraries/character/Molecules/water.cr2"
OBJ = "poser/kestrix/water.obj"
INI = "config/kestrix/kestrix.ini"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def settings(top, text):
    os.makedirs(os.path.join(top, "config/kestrix"), exist_ok=True)
    with open(os.path.join(top, INI), "wb") as f:
        f.write(text)


def poser_folders(top):
    """The Poser folders made already: only the settings folder is missing."""
    os.makedirs(os.path.join(top, os.path.dirname(CR2)))
    os.makedirs(os.path.join(top, os.path.dirname(OBJ)))


def locked_poser(top):
    """The Poser folder inside a folder only root may search."""
    os.makedirs(os.path.join(top, "locked/poser"))
    os.chmod(os.path.join(top, "locked"), 0o700)


def spaced_poser(cli):
    """A first run that remembers "poser " (a trailing space)."""
    def setup(top):
        os.makedirs(os.path.join(top, "poser "))
        subprocess.run([cli, "--quiet", "--poser", "poser ", "water.krx"], cwd=top, check=True,
                       env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(top, "config")))
        os.remove(os.path.join(top, "poser /kestrix/water.obj"))
        os.remove(os.path.join(top, "poser /" + CR2[len("poser/"):]))
    return setup


def links(top):
    """work/lnk leads to real/sub; each folder holds its own water.krx."""
    os.makedirs(os.path.join(top, "real/sub"))
    os.makedirs(os.path.join(top, "work"))
    os.symlink("../real/sub", os.path.join(top, "work/lnk"))
    shutil.copy(WATER, os.path.join(top, "real/water.krx"))
    with open(os.path.join(top, "work/water.krx"), "wb") as f:
        f.write(b"name wrong\nthis is no description\n")


def cases(cli):
    """name, setup (of the case's folder, or None), arguments, run as the
    test user, run in a working folder removed meanwhile, exit status, texts
    of the message, what stands afterwards ({path: True there, False not
    there, or its bytes})."""
    nothing = {CR2: False, OBJ: False, INI: False}
    return [
        ("a description named with a line feed", None, ["--poser", "poser", "wa\nter.krx"], False, False, 1,
         ["I can't open this file: {top}/wa\\x0ater.krx (a control character in the name: a figure file "
          "holds each name on one line)"], nothing),
        ("a Poser folder named with a line feed", None, ["--poser", "po\nser", "water.krx"], False, False, 2,
         ["--poser po\\x0aser: a control character in the name"], nothing),
        ("a mesh named with a carriage return", None, ["--poser", "poser", "--obj", "a\rb", "water.krx"], False,
         False, 2, ["--obj a\\x0db: a control character in the name"], nothing),
        ("a figure named with an escape", None, ["--poser", "poser", "--cr2", "a\x1bb", "water.krx"], False,
         False, 2, ["--cr2 a\\x1bb: a control character in the name"], nothing),
        ("a .glb named with a line feed", None, ["--glb", "-o", "a\nb.glb", "water.krx"], False, False, 2,
         ["-o a\\x0ab.glb: a control character in the name"], {"a\nb.glb": False}),
        ("a remembered Poser folder with a control character",
         lambda top: settings(top, b"[poserinfo]\nposeraddr=/x\x01y\n"), ["water.krx"], False, False, 1,
         ["the Poser folder's name holds a control character: /x\\x01y"],
         {INI: b"[poserinfo]\nposeraddr=/x\x01y\n", CR2: False}),
        ("a Poser folder with a trailing space is remembered as typed", spaced_poser(cli), ["water.krx"],
         False, False, 0, [], {INI: b'[poserinfo]\nposeraddr="{top}/poser "\n', "poser /kestrix/water.obj": True}),
        ("the settings folder cannot be made", poser_folders, ["--poser", "poser", "water.krx"], False, False, 0,
         ["I can't remember the Poser folder in this file: {top}/" + INI + " (read-only file system)"],
         {INI: False}),
        ("a Poser folder under a folder that may not be searched", locked_poser,
         ["--poser", "locked/poser", "water.krx"], True, False, 1,
         ["I can't look at this folder: {top}/locked/poser (permission denied)"], {"locked/poser/kestrix": False}),
        ("a relative name in a removed working folder", None, ["--glb", "water.krx"], False, True, 2,
         ["water.krx: the current folder cannot be read (no such file or directory)"], {}),
        ("'..' after a link goes up from where the link leads", links,
         ["--glb", "-o", "work/lnk/../out.glb", "work/lnk/../water.krx"], False, False, 0, [],
         {"real/out.glb": True, "work/out.glb": False}),
        ("'..' after a link for the Poser folder and the mesh", links,
         ["--poser", "work/lnk/..", "--obj", "work/lnk/../m.obj", "work/lnk/../water.krx"], False, False, 0,
         [], {"real/m.obj": True, "work/m.obj": False, "real/Runtime/Libraries/character/Molecules/water.cr2": True}),
    ]


# A mkdir that fails the way a disk turned read-only fails: every one of
# them, so that the settings folder (the only one missing) cannot be made.
INJECT = {"the settings folder cannot be made": ["mkdir:error=EROFS"]}


def run(cli, case, top, user):
    name, setup, args, asuser, cwdgone, _, _, _ = case
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(top, "config"))
    cmd = [cli] + args
    if name in INJECT:
        if not shutil.which("strace"):
            return None
        # The leak checker cannot run under ptrace; under the sanitizers it
        # would end every traced run with a fatal error of its own.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
        cmd = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=mkdir"] + \
            [a for i in INJECT[name] for a in ("-e", "inject=" + i)] + cmd
    if cwdgone:
        os.makedirs(os.path.join(top, "gone"))
        cmd = ["sh", "-c", 'cd gone && rmdir ../gone && exec "$@"', "sh"] + cmd
    def drop():
        os.setgid(user[1])
        os.setuid(user[0])
    p = subprocess.run(cmd, cwd=top, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60,
                       preexec_fn=drop if asuser else None)
    return p.returncode, p.stderr.decode("latin-1")


def check(cli, case, user):
    name, setup, args, asuser, cwdgone, status, texts, after = case
    if asuser and user is None:
        return "skipped (a test user needs root and useradd)"
    top = tempfile.mkdtemp(prefix="kestrix-names-")
    try:
        os.chmod(top, 0o777)
        os.makedirs(os.path.join(top, "poser"))
        shutil.copy(WATER, os.path.join(top, "water.krx"))
        if setup:
            setup(top)
        if asuser:
            for r, ds, fs in os.walk(top):
                for n in ds + fs:
                    if not os.path.join(r, n).startswith(os.path.join(top, "locked")):
                        os.chown(os.path.join(r, n), *user)
            os.chown(top, *user)
        got = run(cli, case, top, user)
        if got is None:
            return "skipped (strace is missing)"
        rc, err = got
        problems = heard(rc, status, err, texts, top)
        for path, want in after.items():
            full = os.path.join(top, path)
            there = os.path.lexists(full)
            if want is True or want is False:
                if there != want:
                    problems.append("%r %s" % (path, "is missing" if want else "was written"))
            elif not there or read(full) != want.replace(b"{top}", top.encode()):
                problems.append("%r holds %r" % (path, read(full) if there else None))
        return "; ".join(problems + ([err.strip()] if problems else []))
    finally:
        os.chmod(top, 0o755)
        if os.path.exists(os.path.join(top, "locked")):
            os.chmod(os.path.join(top, "locked"), 0o755)
        shutil.rmtree(top, ignore_errors=True)


def main():
    named = programs(__doc__, 1)
    if named is None:
        return 2
    (cli,) = named
    user = testuser()
    if user is None:
        print("the test user's cases are skipped: they need root and useradd")
    return runcases(cases(cli), lambda case: check(cli, case, user))


if __name__ == "__main__":
    sys.exit(main())
