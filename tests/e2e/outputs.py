#!/usr/bin/env python3
"""Outputs under kills, races, links and closed descriptors, end to end.

Every fault is placed at an exact system call with strace: a process is
killed, interrupted or stopped on entry to its Nth rename, link or write, and
while it is stopped the test does what a racing process would do (creates a
file under the output's name, runs a second conversion onto the same files).
Then each outcome is checked: every output name holds the whole old or the
whole new file, never a mixed pair (except the one the README allows: a kill
-9 between the two commits leaves the new mesh beside the old figure), no
temporary file is left by a handled signal, nothing is replaced without
--force, and no message lands inside an output.

usage: outputs.py KESTRIX_CLI KESTRIX_IMPORT
"""

import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "data", "golden")
IMPORTDATA = os.path.join(HERE, "..", "import", "data")
TIMEOUT = 30
MOLECULES = "poser/Runtime/Libraries/character/Molecules"
MESHES = "poser/kestrix"
# Every call that moves, links or removes a name: the old layer renamed with
# rename, this one commits with renameat2.
MOVES = ("rename", "renameat2", "link", "unlink")


class Failed(Exception):
    pass


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def golden(name):
    return read(os.path.join(GOLDEN, name))


def temporaries(top):
    found = []
    for root, dirs, files in os.walk(top):
        for n in files + dirs:
            if n.startswith(".kestrix-") or ".part" in n or n.endswith(".ini.new"):
                found.append(os.path.join(root, n))
    return found


def proc_state(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return None


def children(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            return [int(x) for x in f.read().split()]
    except OSError:
        return []


def in_syscall(pid, number):
    try:
        with open("/proc/%d/syscall" % pid) as f:
            return f.read().split()[0] == str(number)
    except OSError:
        return False


SYS_FLOCK = 73  # x86_64


def checked(err):
    """A run's standard error, unless strace or a sanitizer complained."""
    if "strace: " in err or "Sanitizer" in err or "runtime error:" in err:
        raise Failed(err[-3000:])
    return err


def traced_env():
    """The environment of a program under strace: a sanitizer build's leak
    checker cannot run under ptrace, so it is off there (everything else of
    the sanitizers stays on)."""
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    return env


class Case:
    def __init__(self, t, name):
        self.t = t
        self.top = tempfile.mkdtemp(prefix="kestrix-outputs-")
        os.makedirs(os.path.join(self.top, MOLECULES))
        os.makedirs(os.path.join(self.top, MESHES))
        self.name = name
        # Settings written where no kestrix.ini stands in the case's folder
        # go to a configuration folder of the case's own (every run
        # inherits it), where temporary files are looked for too.
        os.environ["XDG_CONFIG_HOME"] = os.path.join(self.top, "config")

    def path(self, rel):
        return os.path.join(self.top, rel)

    def cr2(self, base="water"):
        return self.path("%s/%s.cr2" % (MOLECULES, base))

    def obj(self, base="water"):
        return self.path("%s/%s.obj" % (MESHES, base))

    def description(self, name="water.krx", source="water.krx"):
        write(self.path(name), golden(source))
        return self.path(name)

    def traced(self, cmd, injects, log="/dev/null"):
        """The command under strace with one -e inject per entry. A signal
        injected at a call arrives as the call returns: the call is done."""
        traced = sorted(set(i.split(":")[0] for i in injects))
        s = ["strace", "-f", "-qq", "-o", log, "-e", "trace=" + ",".join(traced)]
        for i in injects:
            s += ["-e", "inject=" + i]
        return s + cmd

    def run(self, cmd, injects=(), shell=None):
        full = self.traced(cmd, injects) if injects else cmd
        if shell:
            full = ["sh", "-c", shell + ' "$@"', "sh"] + full
        p = subprocess.run(full, cwd=self.top, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT,
                           env=traced_env() if injects else None)
        err = checked(p.stderr.decode("latin-1"))
        return p.returncode, p.stdout.decode("latin-1"), err

    def stopped(self, cmd, injects):
        """Starts cmd under strace, stopped by SIGSTOP just after the
        injected call; returns (strace process, the program's pid)."""
        log = tempfile.mktemp(prefix="kestrix-strace-")
        p = subprocess.Popen(self.traced(cmd, injects, log), cwd=self.top, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env=traced_env())
        deadline = time.monotonic() + TIMEOUT
        try:
            while time.monotonic() < deadline:
                text = read(log).decode("latin-1") if os.path.exists(log) else ""
                if "--- stopped by SIGSTOP ---" in text:
                    return p, int(text.split("--- stopped by SIGSTOP ---")[0].splitlines()[-1].split()[0])
                if p.poll() is not None:
                    raise Failed("the program ended before it reached the call: " + p.stderr.read().decode())
                time.sleep(0.01)
        finally:
            if os.path.exists(log):
                os.remove(log)
        raise Failed("the program never reached the call")

    def finish(self, p, pid):
        os.kill(pid, signal.SIGCONT)
        out, err = p.communicate(timeout=TIMEOUT)
        return p.returncode, out.decode("latin-1"), checked(err.decode("latin-1"))

    def done(self):
        shutil.rmtree(self.top, ignore_errors=True)


class Tests:
    def __init__(self, cli, imp):
        self.cli = cli
        self.imp = imp
        self.failures = []
        self.count = 0
        # A sanitizer's runtime makes pipes of its own to check memory; under
        # a tiny descriptor limit those fail and it reports bad objects that
        # are none, so the descriptor-limit case runs on plain builds only.
        with open(cli, "rb") as f:
            self.sanitized = b"__asan_init" in f.read()
        self.ref = self.reference()

    def reference(self):
        """What the conversions of the tests write, converted alone."""
        c = Case(self, "reference")
        out = {}
        for src in ("water.krx", "nested.krx"):
            d = c.description(src, src)
            rc, _, err = c.run([self.cli, "--quiet", "--force", "--poser", "poser", "--cr2", "water",
                                "--obj", "water", d])
            if rc != 0:
                raise SystemExit("reference conversion failed: " + err)
            out[src] = (read(c.cr2()), read(c.obj()))
        c.done()
        return out

    def case(self, name, fn, *args):
        self.count += 1
        c = Case(self, name)
        try:
            fn(c, *args)
            print("ok   " + name)
        except (Failed, subprocess.TimeoutExpired) as e:
            self.failures.append(name)
            print("FAIL %s: %s" % (name, e))
        finally:
            c.done()

    # -- helpers -----------------------------------------------------------

    def poser(self, c, src="water.krx", force=True, quiet=True):
        """A conversion of the golden description src onto water.cr2 and
        water.obj."""
        return [self.cli] + (["--quiet"] if quiet else []) + ["--poser", "poser", "--cr2", "water", "--obj",
                                                              "water"] + \
            (["--force"] if force else []) + [c.description(src, src)]

    def oldpair(self, c):
        old = (b"old figure\n", b"old mesh\n")
        write(c.cr2(), old[0])
        write(c.obj(), old[1])
        return old

    def expect(self, what, ok, detail=""):
        if not ok:
            raise Failed(what + (": " + detail if detail else ""))

    def pair_is(self, c, allowed, what):
        got = (read(c.cr2()) if os.path.exists(c.cr2()) else None,
               read(c.obj()) if os.path.exists(c.obj()) else None)
        names = {v: k for k, v in allowed.items()}
        self.expect(what + ": figure and mesh", got in names,
                    "figure %r, mesh %r" % tuple((x or b"(missing)")[:30] for x in got))

    # -- kill -9 and signals at every move ---------------------------------

    def kill_at(self, c, syscall, n):
        old = self.oldpair(c)
        new = self.ref["water.krx"]
        rc, _, _ = c.run(self.poser(c), ["%s:signal=KILL:when=%d" % (syscall, n)])
        # Whole old, whole new, or the new mesh beside the old figure: no
        # name missing, nothing partial, never the new figure beside the
        # old mesh.
        self.pair_is(c, {"old": old, "new": new, "new mesh, old figure": (old[0], new[1])},
                     "kill -9 at %s #%d" % (syscall, n))

    def signal_at(self, c, sig, syscall, n):
        old = self.oldpair(c)
        rc, _, _ = c.run(self.poser(c), ["%s:signal=%s:when=%d" % (syscall, sig, n)])
        self.pair_is(c, {"old": old, "new": self.ref["water.krx"]}, "SIG%s at %s #%d" % (sig, syscall, n))
        left = temporaries(c.top)
        self.expect("SIG%s at %s #%d leaves no temporary file" % (sig, syscall, n), not left, str(left))

    def import_signal_at(self, c, sig, syscall, n):
        src = os.path.join(c.top, "water.xyz")
        shutil.copy(os.path.join(IMPORTDATA, "water.xyz"), src)
        write(c.path("water.krx"), b"old description\n")
        rc, _, _ = c.run([self.imp, "--force", src], ["%s:signal=%s:when=%d" % (syscall, sig, n)])
        self.expect("the signal came", rc == -getattr(signal, "SIG" + sig), "exit status %d" % rc)
        got = read(c.path("water.krx"))
        self.expect("the import's output is whole", got == b"old description\n" or got.startswith(b"// water.xyz")
                    and got.endswith(b"\n"))
        left = temporaries(c.top)
        self.expect("SIG%s at %s #%d leaves no temporary file" % (sig, syscall, n), not left, str(left))

    # -- races ---------------------------------------------------------------

    def appears_meanwhile(self, c):
        # No outputs yet: the run is stopped once both files are written
        # (write 1 is the figure, 2 the mesh, 3 the settings after the
        # commit), after every check; a file appears under the mesh's name;
        # the run goes on.
        cmd = self.poser(c, force=False)
        p, pid = c.stopped(cmd, ["write:signal=STOP:when=2"])
        write(c.obj(), b"appeared meanwhile\n")
        rc, _, err = c.finish(p, pid)
        self.expect("the file that appeared survives", read(c.obj()) == b"appeared meanwhile\n")
        self.expect("the run fails", rc == 1, "exit status %d" % rc)
        self.expect("the message names it", c.obj() in err, err)
        self.expect("no figure without its mesh", not os.path.exists(c.cr2()))
        self.expect("no temporary file", not temporaries(c.top), str(temporaries(c.top)))

    def glb_appears_meanwhile(self, c):
        d = c.description()
        glb = c.path("water.glb")
        p, pid = c.stopped([self.cli, "--quiet", "--glb", d], ["write:signal=STOP:when=1"])
        write(glb, b"appeared meanwhile\n")
        rc, _, err = c.finish(p, pid)
        self.expect("the file that appeared survives", read(glb) == b"appeared meanwhile\n")
        self.expect("the run fails naming it", rc == 1 and glb in err, "%d %s" % (rc, err))
        self.expect("no temporary file", not temporaries(c.top), str(temporaries(c.top)))

    def import_appears_meanwhile(self, c):
        src = c.path("water.xyz")
        shutil.copy(os.path.join(IMPORTDATA, "water.xyz"), src)
        p, pid = c.stopped([self.imp, src], ["write:signal=STOP:when=1"])
        write(c.path("water.krx"), b"appeared meanwhile\n")
        rc, out, err = c.finish(p, pid)
        self.expect("the file that appeared survives", read(c.path("water.krx")) == b"appeared meanwhile\n")
        self.expect("the import fails naming it", rc == 1 and c.path("water.krx") in err and "wrote" not in out,
                    "%d %s %s" % (rc, out, err))
        self.expect("no temporary file", not temporaries(c.top), str(temporaries(c.top)))

    def waits_for(self, c, first, second, injects):
        """first is stopped inside its commit; second must wait for it."""
        p, pid = c.stopped(first, injects)
        q = subprocess.Popen(second, cwd=c.top, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = time.monotonic() + TIMEOUT
        while q.poll() is None and not in_syscall(q.pid, SYS_FLOCK) and time.monotonic() < deadline:
            time.sleep(0.01)
        waited = q.poll() is None
        a = c.finish(p, pid)
        out, err = q.communicate(timeout=TIMEOUT)
        return waited, a, (q.returncode, out.decode("latin-1"), checked(err.decode("latin-1")))

    def parallel_force(self, c):
        # A is stopped between its two commits, just after its mesh took its
        # name (renames: the mesh, the figure, then the settings; the old
        # layer moved the old mesh aside first); B converts another molecule
        # onto the same pair meanwhile.
        self.oldpair(c)
        a = self.poser(c, "water.krx")
        b = self.poser(c, "nested.krx")
        waited, ra, rb = self.waits_for(c, a, b, ["rename:signal=STOP:when=2", "renameat2:signal=STOP:when=1"])
        self.expect("both succeed", ra[0] == 0 and rb[0] == 0, ra[2] + rb[2])
        self.pair_is(c, {"water": self.ref["water.krx"], "nested": self.ref["nested.krx"]},
                     "parallel --force runs")
        self.expect("the second run waited for the first one's commit", waited)

    def settings_race(self, c):
        write(c.path("kestrix.ini"), b"[other]\nkey=1\n")
        os.makedirs(c.path("poser2"))
        a = self.poser(c, "water.krx")
        b = [self.cli, "--quiet", "--force", "--poser", "poser2", c.description()]
        # A is stopped inside its settings rewrite, after its commit (the
        # third move: the mesh, the figure, kestrix.ini).
        waited, ra, rb = self.waits_for(c, a, b, ["rename:signal=STOP:when=3", "renameat2:signal=STOP:when=3"])
        ini = read(c.path("kestrix.ini"))
        self.expect("the second run waited for the first one's settings", waited)
        self.expect("settings keep the other section and end with the later folder",
                    ini == b"[other]\nkey=1\n[poserinfo]\nposeraddr=%s\n" % c.path("poser2").encode(), repr(ini))

    def mkdir_race(self, c):
        # It found no Runtime folder; another run makes it between that test
        # and this run's mkdir, which therefore fails with EEXIST (stopped
        # there while the other run's folder appears).
        shutil.rmtree(c.path("poser/Runtime"))
        cmd = self.poser(c)
        p, pid = c.stopped(cmd, ["mkdir:error=EEXIST:signal=STOP:when=1"])
        os.mkdir(c.path("poser/Runtime"))
        rc, _, err = c.finish(p, pid)
        self.expect("a folder made meanwhile by another run is no failure", rc == 0, err)

    # -- kestrix.ini ---------------------------------------------------------

    def settings_cases(self, c, kind):
        ini = c.path("kestrix.ini")
        victim = c.path("victim")
        write(victim, b"not to be touched\n")
        if kind == "link at kestrix.ini.new":
            write(ini, b"")
            os.symlink(victim, ini + ".new")
        elif kind == "binary":
            write(ini, b"\x00\x01binary\x00")
        elif kind == "unparsable":
            write(ini, b"this is no settings file\n")
        elif kind == "symlinked":
            write(victim, b"[other]\nkey=1\n")
            os.symlink("victim", ini)
        elif kind == "folder":
            os.mkdir(ini)
        before = read(ini) if os.path.isfile(ini) else None
        rc, _, err = c.run(self.poser(c))
        self.expect("the conversion itself succeeds", rc == 0, err)
        if kind == "link at kestrix.ini.new":
            self.expect("the planted link's target is untouched", read(victim) == b"not to be touched\n")
            self.expect("the planted link is no business of ours", os.path.islink(ini + ".new"))
            os.remove(ini + ".new")
        elif kind in ("binary", "unparsable", "folder"):
            self.expect("a settings file that cannot be read as one is left as it was",
                        (read(ini) if before is not None else os.path.isdir(ini)) == (before or True))
            self.expect("and a warning says so", "kestrix: I can't remember the Poser folder in this file: " + ini
                        in err, err)
        elif kind == "symlinked":
            self.expect("the link stays a link", os.path.islink(ini))
            self.expect("its target holds both", read(victim) == b"[other]\nkey=1\n[poserinfo]\nposeraddr=%s\n"
                        % c.path("poser").encode(), repr(read(victim)))
        self.expect("no temporary file", not temporaries(c.top), str(temporaries(c.top)))

    def settings_mode(self, c):
        ini = c.path("kestrix.ini")
        write(ini, b"[poserinfo]\nposeraddr=/x\n")
        os.chmod(ini, 0o600)
        c.run(self.poser(c))
        self.expect("kestrix.ini keeps its mode", stat.S_IMODE(os.stat(ini).st_mode) == 0o600,
                    oct(os.stat(ini).st_mode))

    # -- closed descriptors ----------------------------------------------------

    def closed(self, c, redirect):
        # Not quiet, and a description with an unknown instruction: the run
        # has messages for both streams, and converts all the same.
        cmd = self.poser(c, quiet=False)
        write(cmd[-1], golden("water.krx") + b"frobnicate\n")
        write(c.path("kestrix.ini"), b"")
        rc, _, _ = c.run(cmd, shell="exec " + redirect)
        self.expect("exit status 0 with %s" % redirect, rc == 0, str(rc))
        self.expect("outputs hold no message", (read(c.cr2()), read(c.obj())) == self.ref["water.krx"])
        ini = read(c.path("kestrix.ini"))
        self.expect("kestrix.ini holds no message", ini == b"[poserinfo]\nposeraddr=%s\n" % c.path("poser").encode(),
                    repr(ini))

    # -- what an output name may be --------------------------------------------

    def target_kinds(self, c, program, kind, force):
        if program == "glb":
            d = c.description()
            name = c.path("out.glb")
            cmd = [self.cli, "--glb", "-o", name, d]
        elif program == "import":
            src = c.path("water.xyz")
            shutil.copy(os.path.join(IMPORTDATA, "water.xyz"), src)
            name = c.path("out.krx")
            cmd = [self.imp, "-o", name, src]
        else:
            name = c.cr2()
            cmd = self.poser(c, force=False)
        if force:
            cmd.insert(1, "--force")
        victim = c.path("victim")
        write(victim, b"the link's target\n")
        if kind == "fifo":
            os.mkfifo(name)
        elif kind == "folder":
            os.mkdir(name)
        elif kind == "link to a device":
            os.symlink("/dev/null", name)
        elif kind == "dangling link":
            os.symlink(c.path("nothing"), name)
        elif kind == "link to a file":
            os.symlink(victim, name)
        before = os.lstat(name)
        rc, _, err = c.run(cmd)
        after = os.lstat(name)
        if kind == "link to a file" and force:
            self.expect("the link is followed: exit 0", rc == 0, err)
            self.expect("the link stays", os.path.islink(name) and os.readlink(name) == victim)
            self.expect("its target is replaced", read(victim) != b"the link's target\n")
        else:
            self.expect("refused", rc == 1, "exit %d %s" % (rc, err))
            self.expect("the name is left as it was", stat.S_IFMT(after.st_mode) == stat.S_IFMT(before.st_mode)
                        and after.st_ino == before.st_ino)
            self.expect("the link's target is untouched", read(victim) == b"the link's target\n")
            self.expect("the message names it", name in err, err)
        self.expect("no temporary file", not temporaries(c.top), str(temporaries(c.top)))

    def glb_onto_description(self, c):
        d = c.description()
        rc, _, err = c.run([self.cli, "--glb", "--force", "-o", d, d])
        self.expect("refused", rc == 1 and "(it is the description itself)" in err, err)
        self.expect("the description is untouched", read(d) == golden("water.krx"))

    def poser_onto_description(self, c):
        d = c.description()
        os.symlink(d, c.path("%s/water.cr2" % MOLECULES))
        rc, _, err = c.run([self.cli, "--quiet", "--force", "--poser", "poser", d])
        self.expect("refused", rc == 1 and "water.cr2 (it is the description itself)" in err, err)
        self.expect("the description is untouched", read(d) == golden("water.krx"))

    def mode_kept(self, c, program):
        if program == "glb":
            d = c.description()
            name, cmd = c.path("water.glb"), [self.cli, "--glb", "--force", d]
        elif program == "import":
            src = c.path("water.xyz")
            shutil.copy(os.path.join(IMPORTDATA, "water.xyz"), src)
            name, cmd = c.path("water.krx"), [self.imp, "--force", src]
        else:
            name, cmd = c.obj(), self.poser(c)
        write(name, b"old\n")
        os.chmod(name, 0o600)
        rc, _, err = c.run(cmd)
        self.expect("replaced", rc == 0 and read(name) != b"old\n", err)
        self.expect("the mode stays 0600", stat.S_IMODE(os.stat(name).st_mode) == 0o600,
                    oct(os.stat(name).st_mode))

    # -- batches, messages -------------------------------------------------------

    def batch_clash(self, c, force):
        os.makedirs(c.path("a"))
        os.makedirs(c.path("b"))
        write(c.path("a/water.krx"), golden("water.krx"))
        write(c.path("b/water.krx"), golden("nested.krx"))
        cmd = [self.cli, "--quiet", "--poser", "poser"] + (["--force"] if force else []) + \
            [c.path("a/water.krx"), c.path("b/water.krx")]
        rc, _, err = c.run(cmd)
        self.expect("exit 1", rc == 1, err)
        self.expect("the clash is named", "kestrix: %s: I can't open this file: %s (another output of this run has "
                    "this name)" % (c.path("b/water.krx"), c.cr2()) in err, err)
        self.expect("the first description's files stay", (read(c.cr2()), read(c.obj()))[1] ==
                    self.ref["water.krx"][1])

    def escaped(self, c):
        write(c.path("esc.krx"), b"element O 1 1 1 1\natom A\x1b]0;owned\x07 O 0 0 0\n")
        rc, _, err = c.run([self.cli, "--quiet", "--poser", "poser", c.path("esc.krx")])
        self.expect("no control character reaches the terminal", "\x1b" not in err and "\x07" not in err, repr(err))
        self.expect("it is shown escaped", "\\x1b]0;owned\\x07" in err, repr(err))

    def import_escaped(self, c):
        name = c.path("a\x1b]0;owned\x07.foo")
        write(name, b"x")
        rc, _, err = c.run([self.imp, name])
        self.expect("no control character reaches the terminal", rc == 1 and "\x1b" not in err, repr(err))
        self.expect("it is shown escaped", "\\x1b]0;owned\\x07" in err, repr(err))

    def reasons(self, c):
        # No room for the suffix within the 255 characters of a path.
        longname = c.path("n" * (253 - len(c.path(""))))
        rc, _, err = c.run([self.cli, "--quiet", "--poser", "poser", "--cr2", longname, c.description()])
        self.expect("a long name says so", rc == 1 and "(file name too long)" in err, err)
        if not self.sanitized:
            rc, _, err = c.run([self.cli, "--quiet", "--force", "--poser", "poser", c.description()],
                               shell="ulimit -n 5;")
            self.expect("too many open files says so", rc == 1 and "(too many open files)" in err, err)
        rc, _, err = c.run([self.imp, "-o", c.path("none/out.krx"), os.path.join(IMPORTDATA, "water.xyz")])
        self.expect("the importer says why", rc == 1 and "(no such file or directory)" in err.lower()
                    or "no such file or directory" in err.lower(), err)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    if not shutil.which("strace"):
        print("strace is missing (apt-get install strace)", file=sys.stderr)
        return 1
    t = Tests(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    for syscall in MOVES:
        for n in range(1, 6):
            t.case("kill -9 at %s #%d" % (syscall, n), t.kill_at, syscall, n)
    for sig in ("INT", "TERM", "HUP", "QUIT", "PIPE"):
        # write 1 is the figure's, 2 the mesh's, 3 the settings' (after the
        # commit).
        for syscall, n in (("write", 1), ("write", 2), ("write", 3), ("rename", 2), ("renameat2", 2),
                           ("link", 1)):
            t.case("SIG%s at %s #%d" % (sig, syscall, n), t.signal_at, sig, syscall, n)
        t.case("import: SIG%s at write #1" % sig, t.import_signal_at, sig, "write", 1)
    t.case("a file appears under the mesh's name meanwhile", t.appears_meanwhile)
    t.case("a file appears under the .glb's name meanwhile", t.glb_appears_meanwhile)
    t.case("a file appears under the import's output meanwhile", t.import_appears_meanwhile)
    t.case("parallel --force runs onto one pair", t.parallel_force)
    t.case("parallel runs rewriting kestrix.ini", t.settings_race)
    t.case("two first runs making the Poser folders", t.mkdir_race)
    for kind in ("link at kestrix.ini.new", "binary", "unparsable", "symlinked", "folder"):
        t.case("kestrix.ini: " + kind, t.settings_cases, kind)
    t.case("kestrix.ini keeps its mode", t.settings_mode)
    for redirect in ("2>&-", ">&-", ">&- 2>&-", "<&- 2>&-", "<&- >&- 2>&-"):
        t.case("closed descriptors: " + redirect, t.closed, redirect)
    for program in ("poser", "glb", "import"):
        for kind in ("fifo", "folder", "link to a device", "dangling link", "link to a file"):
            for force in (False, True):
                t.case("%s output that is a %s%s" % (program, kind, " (--force)" if force else ""),
                       t.target_kinds, program, kind, force)
        t.case("%s: --force keeps a file's mode" % program, t.mode_kept, program)
    t.case("--glb -o naming the description", t.glb_onto_description)
    t.case("a figure name that leads to the description", t.poser_onto_description)
    t.case("batch: two descriptions onto one pair", t.batch_clash, False)
    t.case("batch: two descriptions onto one pair (--force)", t.batch_clash, True)
    t.case("control characters from a description", t.escaped)
    t.case("control characters in an input's name", t.import_escaped)
    t.case("failures say why", t.reasons)
    print("%d cases, %d failed" % (t.count, len(t.failures)))
    return 1 if t.failures else 0


if __name__ == "__main__":
    sys.exit(main())
