#!/usr/bin/env python3
"""Hostile input, end to end through kestrix-cli.

Every case writes its own description (or folder, or file system) and runs
kestrix-cli on it with --force over output files that exist already. A case
either converts, and then its files are checked whole (against the golden
files or against the conversion of an equivalent plain description), or it
fails with exit status 1 and its message; in no case may the program crash,
hang, or leave a temporary file, a partial file or a destroyed file behind.

usage: hostile.py KESTRIX_CLI
"""

import os
import random
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "data", "golden")
TIMEOUT = 20  # seconds; the largest case takes well under one

WATER = (b"name water\n"
         b"bondradius 0.05 200 200 200\n"
         b"element O 0 0 255 0.4\n"
         b"element H 255 255 255 0.25\n"
         b"atom O1 O 0 0 0    // root\n"
         b"{ atom H1 H 104.5 0 0.96 }\n"
         b"atom H2 H 0 0 0.96\n")
WATER_HEAD, WATER_ATOMS = WATER.split(b"atom O1", 1)
WATER_ATOMS = b"atom O1" + WATER_ATOMS

# A sanitizer build reports with its own exit status, never with 1; options
# given from outside are kept.
SANITIZER_OPTIONS = {
    "ASAN_OPTIONS": "exitcode=86",
    "UBSAN_OPTIONS": "exitcode=86:halt_on_error=1:print_stacktrace=1",
}


def sanitizer_env():
    env = dict(os.environ)
    for name, options in SANITIZER_OPTIONS.items():
        env[name] = env[name] + ":" + options if env.get(name) else options
    return env


class CaseFailed(Exception):
    pass


class Skip(Exception):
    pass


def golden(name):
    with open(os.path.join(GOLDEN, name), "rb") as f:
        return f.read()


def chain(n, elements=1, xyz=True, bonds=True):
    """n atoms in one chain under the given number of elements."""
    lines = [b"name chain"]
    if xyz:
        lines.append(b"readxyz")
    if bonds:
        lines.append(b"bondradius 0.05 10 20 30")
    for e in range(elements):
        lines.append(b"element E%d %d %d %d 0.%d" % (e, e % 256, (e * 7) % 256, (e * 13) % 256, e % 9 + 1))
    for a in range(n):
        lines.append(b"atom A%d E%d %d %d %d" % (a, a % elements, a % 7, a, a % 5))
    return b"\n".join(lines) + b"\n"


class Runner:
    def __init__(self, cli):
        self.cli = cli
        self.top = tempfile.mkdtemp(prefix="kestrix-hostile-")
        # Cases that run without privileges must still reach their files.
        os.chmod(self.top, 0o755)
        self.poser = os.path.join(self.top, "poser")
        self.molecules = os.path.join(self.poser, "Runtime", "Libraries", "character", "Molecules")
        self.meshes = os.path.join(self.poser, "kestrix")
        os.makedirs(self.molecules)
        os.makedirs(self.meshes)
        self.env = sanitizer_env()
        # The settings go to a configuration folder of the test's own.
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.top, "config")
        self.failures = []
        self.skips = []
        self.unprivileged = self.find_unprivileged()

    # -- running -----------------------------------------------------------

    def targets(self, case):
        return (os.path.join(self.molecules, case + ".cr2"), os.path.join(self.meshes, case + ".obj"))

    def describe(self, case, data):
        path = os.path.join(self.top, case + ".krx")
        with open(path, "wb") as f:
            f.write(data)
        return path

    def execute(self, cmd, preexec=None):
        try:
            p = subprocess.run(cmd, cwd=self.top, env=self.env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=TIMEOUT, preexec_fn=preexec)
        except subprocess.TimeoutExpired:
            raise CaseFailed("hangs: no end within %d seconds" % TIMEOUT)
        err = p.stderr.decode("latin-1")
        if p.returncode < 0:
            raise CaseFailed("killed by signal %d\n%s" % (-p.returncode, err[-2000:]))
        if "Sanitizer" in err or "runtime error:" in err:
            raise CaseFailed("sanitizer report\n" + err[-4000:])
        return p.returncode, err

    def convert(self, case, data=None, path=None, expect=0, message=None, wrap=(), preexec=None,
                existing=True, refused=False):
        """Runs one conversion; returns the two output files on success.
        A failure is said in one line that names the description (as
        "PATH:LINE: " or "PATH: " before it, or as the thing at fault of a
        description refused before its conversion starts)."""
        if path is None:
            path = self.describe(case, data)
        cr2, obj = self.targets(case)
        sentinel = {cr2: b"precious figure of " + case.encode() + b"\n",
                    obj: b"precious mesh of " + case.encode() + b"\n"}
        for t in (cr2, obj):
            if existing:
                with open(t, "wb") as f:
                    f.write(sentinel[t])
            elif os.path.exists(t):
                os.remove(t)
        cmd = list(wrap) + [self.cli, "--force", "--quiet", "--poser", self.poser, path]
        rc, err = self.execute(cmd, preexec)
        self.check_no_temporaries()
        if message is not None:
            # A file that cannot be opened or written: the system's reason
            # follows the path.
            caption, text = message[:2]
            line = "%s: %s" % (caption, text)
            if len(message) > 2:
                line += " (%s)" % message[2]
            prefixed = [l for l in err.splitlines() if l.startswith("kestrix: " + path)]
            if "kestrix: " + line not in err.splitlines() and not any(l.endswith(": " + line) for l in prefixed):
                raise CaseFailed("message %r missing; stderr:\n%s" % (line, err[-2000:]))
        if rc != expect:
            raise CaseFailed("exit status %d, expected %d; stderr:\n%s" % (rc, expect, err[-2000:]))
        if rc != 0:
            if "I tried to read this file but it didn't work" in err:
                raise CaseFailed("the desktop's closing message on the console:\n" + err[-2000:])
            named = [l for l in err.splitlines() if path in l]
            if not named or (refused and any(l.startswith("kestrix: " + path) for l in named)):
                raise CaseFailed("no line names the description as it should:\n" + err[-2000:])
            for t in (cr2, obj):
                if existing:
                    if read(t) != sentinel[t]:
                        raise CaseFailed("failed conversion changed " + t)
                elif os.path.exists(t):
                    raise CaseFailed("failed conversion left " + t)
            return None
        out = []
        for t in (cr2, obj):
            got = read(t)
            if got == sentinel[t]:
                raise CaseFailed("conversion reported success but kept the old " + t)
            out.append(got)
        check_whole(out[0], out[1])
        return normalized(case, out[0]), out[1]

    def check_no_temporaries(self):
        for folder in (self.molecules, self.meshes):
            for name in os.listdir(folder):
                if name.startswith(".kestrix-"):
                    os.remove(os.path.join(folder, name))
                    raise CaseFailed("temporary file left: " + name)

    def find_unprivileged(self):
        """A command prefix under which file permissions hold, or None."""
        if os.geteuid() != 0:
            return []
        probe = os.path.join(self.top, "probe")
        with open(probe, "wb") as f:
            f.write(b"x")
        os.chmod(probe, 0)
        prefix = ["setpriv", "--bounding-set", "-dac_override,-dac_read_search"]
        try:
            r = subprocess.run(prefix + ["cat", probe], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=TIMEOUT)
            works = r.returncode != 0
        except OSError:
            works = False
        os.remove(probe)
        return prefix if works else None

    # -- the cases -----------------------------------------------------------

    def run(self, name, fn):
        start = time.monotonic()
        try:
            fn()
        except Skip as s:
            self.skips.append(name)
            print("skip %s: %s" % (name, s))
            return
        except CaseFailed as e:
            self.failures.append(name)
            print("FAIL %s: %s" % (name, e))
            return
        print("ok   %s (%.2f s)" % (name, time.monotonic() - start))

    def same_as(self, case, data, reference):
        """The case converts exactly as the reference description does."""
        want = self.convert(case + "_ref", reference)
        got = self.convert(case, data)
        expect_equal(got, want)

    def same_as_water(self, case, data):
        want = (normalized("water", golden("water.cr2")), golden("water.obj"))
        expect_equal(self.convert(case, data), want)

    def garbage(self):
        rng = random.Random(6)
        data = bytes(rng.getrandbits(8) for _ in range(64 * 1024))
        self.convert("garbage", data, expect=1,
                     message=("there are no atoms in this file", os.path.join(self.top, "garbage.krx")))

    def nul_bytes(self):
        # A NUL ends what the line says; a line that starts with one says nothing.
        lines = WATER.split(b"\n")
        data = b"\0atom X Y 1 2 3\n" + b"\n".join(l + b"\0" + b"atom Z Z 1 2 3" if l else l for l in lines)
        self.same_as_water("nul_bytes", data)

    def long_blank_line(self):
        self.same_as_water("long_blank_line", WATER_HEAD + b" \t" * (5 * 1024 * 1024) + b"\n" + WATER_ATOMS)

    def long_line(self):
        # Read in pieces of 254 characters, each an unknown instruction.
        path = os.path.join(self.top, "long_line.krx")
        self.convert("long_line", b"x" * (10 * 1024 * 1024), expect=1,
                     message=("there are no atoms in this file", path))

    def many_lines(self):
        comments = b"".join(b"// line %d\n" % i if i % 3 else b"\n" for i in range(100000 - 7))
        data = WATER_HEAD + comments + WATER_ATOMS
        if data.count(b"\n") != 100000:
            raise CaseFailed("the description has %d lines" % data.count(b"\n"))
        self.same_as_water("many_lines", data)

    def cr_line_ends(self):
        # Carriage returns vanish: the whole file is one line naming the figure.
        self.convert("cr_only", WATER.replace(b"\n", b"\r"), expect=1,
                     message=("there are no atoms in this file", os.path.join(self.top, "cr_only.krx")))
        self.same_as_water("crlf", WATER.replace(b"\n", b"\r\n"))
        self.same_as_water("cr_everywhere", WATER.replace(b" ", b" \r").replace(b"\n", b"\r\r\n"))

    def ctrl_z(self):
        cut = WATER.index(b"atom H2")
        self.same_as("ctrl_z", WATER[:cut] + b"\x1a" + WATER[cut:] + b"atom\n", WATER[:cut])

    def names(self):
        for n in (31, 32, 63, 64):
            name = ("n%d" % n + "x" * n)[:n]
            data = WATER.replace(b"name water", b"name " + name.encode())
            cr2, _ = self.convert("figure_name_%d" % n, data)
            if ("\tname    %s\n" % name).encode() not in cr2:
                raise CaseFailed("figure name %s missing" % name)
        for n, ok in ((31, True), (32, False)):
            name = ("a%d" % n + "y" * n)[:n]
            data = WATER.replace(b"atom H1 H", b"atom " + name.encode() + b" H")
            if ok:
                cr2, _ = self.convert("atom_name_%d" % n, data)
                if ("\tname    %s\n" % name).encode() not in cr2:
                    raise CaseFailed("atom name %s missing" % name)
            else:
                self.convert("atom_name_%d" % n, data, expect=1, message=("this name is too long", name))
        for n, ok in ((63, True), (64, False)):
            name = ("e%d" % n + "z" * n)[:n]
            data = WATER.replace(b"element H", b"element " + name.encode()).replace(b" H ", b" " + name.encode() + b" ")
            if ok:
                _, obj = self.convert("element_name_%d" % n, data)
                if ("g %s\nusemtl %s\n" % (name, name)).encode() not in obj:
                    raise CaseFailed("element group %s missing" % name)
            else:
                self.convert("element_name_%d" % n, data, expect=1, message=("this name is too long", name))

    def atoms_1024(self):
        cr2, _ = self.convert("atoms_1024", chain(1024))
        expect_count(cr2, b"\nactor atom", 2 * 1024)
        self.convert("atoms_1025", chain(1025), expect=1, message=("too many atoms", "atom A1024 E0 %d 1024 %d" % (1024 % 7, 1024 % 5)))

    def elements_128(self):
        data = chain(128, elements=128)
        _, obj = self.convert("elements_128", data)
        expect_count(obj, b"usemtl E", 128)
        data = data.replace(b"atom A0", b"element F 1 2\natom A0")
        self.convert("elements_129", data, expect=1, message=("too many elements", "element F 1 2"))

    def deep_branch(self):
        lines = [b"readxyz", b"bondradius 0.1", b"element C 10 10 10 0.3", b"atom A0 C 0 0 0"]
        for k in range(1, 1024):
            lines.append(b"{ atom A%d C %d %d %d" % (k, k % 3, k, (k * k) % 5))
        lines.append(b" ".join([b"}"] * 1023))
        cr2, _ = self.convert("deep_branch", b"\n".join(lines) + b"\n")
        parents = dict(re.findall(rb"\taddChild    (\w+):1 \n\t\t\t (\w+):1\n", cr2))
        for k in range(1, 1024):
            if parents.get(b"atom%d" % k) != b"atom%d" % (k - 1):
                raise CaseFailed("atom%d is not the child of atom%d" % (k, k - 1))
        if parents.get(b"atom0") != b"BODY" or len(parents) != 1024:
            raise CaseFailed("the figure's tree is not the chain of 1024 atoms")

    def extra_closing(self):
        data = WATER_HEAD + b"} } }\n" + WATER_ATOMS.replace(b"0.96 }", b"0.96 } } } } }") + b"}\n} }\n"
        self.same_as_water("extra_closing", data)

    def numbers(self):
        cr2, _ = self.convert("number_1e308", WATER.replace(b"104.5 0 0.96", b"1e308 0 0.96"))
        expect_count(cr2, b" 1e+308\n", 2)
        self.convert("number_1e309", WATER.replace(b"104.5", b"1e309"), expect=1,
                     message=("this number is out of range", "1e309"))
        # Coordinates that are finite but whose differences are not.
        far = WATER.replace(b"name water", b"readxyz").replace(b"O 0 0 0", b"O -1e308 0 0")
        far = far.replace(b"104.5 0 0.96", b"1e308 0 0")
        self.convert("number_far", far, expect=1, message=("this number is out of range", "H1"))
        self.convert("number_minus_zero", WATER.replace(b"0 0.96", b"-0 0.96"))
        self.same_as("number_dot5e", WATER.replace(b"0.96 }", b".5e }"), WATER.replace(b"0.96 }", b"0.5 }"))
        self.same_as("number_minus_minus", WATER.replace(b"104.5", b"--1").replace(b"0 0 255", b"--1 0 255"),
                     WATER.replace(b"104.5", b"0").replace(b"0 0 255", b"0 0 255"))
        self.same_as("number_tiny", WATER.replace(b"104.5", b"1e-400"), WATER.replace(b"104.5", b"0"))

    def not_a_file(self):
        # Only a plain file is read: a device would feed the reader without
        # end, a pipe without a writer would never open.
        notregular = "not a regular file"
        path = os.path.join(self.top, "folder.krx")
        os.mkdir(path)
        self.convert("folder", path=path, expect=1, message=("I can't open this file", path, notregular),
                     refused=True)
        path = os.path.join(self.top, "endless.krx")
        os.symlink("/dev/zero", path)
        self.convert("endless", path=path, expect=1, message=("I can't open this file", path, notregular),
                     refused=True)
        path = os.path.join(self.top, "pipe.krx")
        os.mkfifo(path)
        self.convert("pipe", path=path, expect=1, message=("I can't open this file", path, notregular),
                     refused=True)

    def unreadable(self):
        if self.unprivileged is None:
            raise Skip("running as root and setpriv cannot drop the right to read any file")
        path = self.describe("unreadable", WATER)
        os.chmod(path, 0)
        try:
            self.convert("unreadable", path=path, expect=1,
                         message=("I can't open this file", path, "permission denied"),
                         wrap=self.unprivileged)
        finally:
            os.chmod(path, 0o644)

    def readonly_folder(self):
        if self.unprivileged is None:
            raise Skip("running as root and setpriv cannot drop the right to write anywhere")
        for folder, target in ((self.molecules, 0), (self.meshes, 1)):
            case = "readonly_" + os.path.basename(folder)
            os.chmod(folder, 0o555)
            try:
                self.convert(case, WATER, expect=1, message=("I can't open this file", self.targets(case)[target], "permission denied"),
                             wrap=self.unprivileged)
            finally:
                os.chmod(folder, 0o755)

    def in_namespace(self, case, data, size, readonly):
        """Runs one conversion with the Poser folder on a tmpfs of its own,
        in a private mount namespace that vanishes with it."""
        if os.geteuid() != 0 or not shutil.which("unshare"):
            raise Skip("needs root and unshare to mount a file system")
        probe = subprocess.run(["unshare", "-m", "true"], cwd=self.top, stderr=subprocess.DEVNULL)
        if probe.returncode != 0:
            raise Skip("mount namespaces are not permitted here")
        path = self.describe(case, data)
        poser = os.path.join(self.top, case + "_poser")
        report = os.path.join(self.top, case + "_report")
        os.makedirs(poser)
        os.makedirs(report)
        script = r'''
            set -e
            mount -t tmpfs -o size="$SIZE" tmpfs "$POSER" || exit 97
            m="$POSER/Runtime/Libraries/character/Molecules"
            mkdir -p "$m" "$POSER/kestrix"
            printf 'precious figure\n' >"$m/$CASE.cr2"
            printf 'precious mesh\n' >"$POSER/kestrix/$CASE.obj"
            if [ "$READONLY" = 1 ]; then mount -o remount,ro "$POSER" || exit 97; fi
            set +e
            "$CLI" --force --quiet --poser "$POSER" "$KRX" 2>"$REPORT/stderr"
            echo $? >"$REPORT/status"
            ls -A "$m" "$POSER/kestrix" >"$REPORT/listing"
            cat "$m/$CASE.cr2" "$POSER/kestrix/$CASE.obj" >"$REPORT/after"
        '''
        env = dict(self.env, SIZE=size, POSER=poser, CASE=case, READONLY="1" if readonly else "0",
                   CLI=self.cli, KRX=path, REPORT=report)
        try:
            r = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c", script],
                               cwd=self.top, env=env, timeout=TIMEOUT, stderr=subprocess.PIPE)
        except subprocess.TimeoutExpired:
            raise CaseFailed("hangs: no end within %d seconds" % TIMEOUT)
        if r.returncode == 97:
            raise Skip("mounting a tmpfs is not permitted here")
        status = read(os.path.join(report, "status")).strip()
        err = read(os.path.join(report, "stderr")).decode("latin-1")
        if status != b"1":
            raise CaseFailed("exit status %s, expected 1; stderr:\n%s" % (status.decode(), err[-2000:]))
        if "Sanitizer" in err or "runtime error:" in err:
            raise CaseFailed("sanitizer report\n" + err[-4000:])
        listing = read(os.path.join(report, "listing")).decode()
        if re.search(r"^\.kestrix-", listing, re.M):
            raise CaseFailed("temporary file left:\n" + listing)
        if read(os.path.join(report, "after")) != b"precious figure\nprecious mesh\n":
            raise CaseFailed("the failed conversion changed the existing files")
        return err

    def readonly_mount(self):
        err = self.in_namespace("readonly_mount", WATER, "1m", True)
        if "this folder does not exist and I can't create it" in err or \
                ".krx: I can't open this file: " not in err:
            raise CaseFailed("unexpected messages:\n" + err)

    def disk_full(self):
        # The figure file of the largest chain is about 6 MB.
        err = self.in_namespace("disk_full", chain(1024), "1m", False)
        if ".krx: I can't write this file: " not in err or "(no space left on device)" not in err:
            raise CaseFailed("unexpected messages:\n" + err)

    def file_size_limit(self):
        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (256 * 1024, 256 * 1024))
        case = "file_size_limit"
        self.convert(case, chain(1024), expect=1, preexec=limit,
                     message=("I can't write this file", self.targets(case)[0], "file too large"))
        self.convert(case + "_new", chain(1024), expect=1, preexec=limit, existing=False,
                     message=("I can't write this file", self.targets(case + "_new")[0], "file too large"))

    def cleanup(self):
        for root, dirs, _ in os.walk(self.top):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(self.top, ignore_errors=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def normalized(case, cr2):
    """The figure file names its mesh after the case; the rest must agree."""
    return cr2.replace(b"figureResFile :kestrix:%s.obj\n" % case.encode(), b"figureResFile MESH\n")


def check_whole(cr2, obj):
    if not cr2.startswith(b"{\n\nversion\n") or not cr2.endswith(b"\tsetGeomHandlerOffset 0 0 0\n}\n"):
        raise CaseFailed("the figure file is not whole")
    if not obj.endswith(b"\n") or b"\nf " not in obj:
        raise CaseFailed("the mesh file is not whole")
    for bad in (b"nan", b"inf"):
        if bad in cr2.lower() or bad in obj.lower():
            raise CaseFailed("a number that is not finite was written")


def expect_equal(got, want):
    for g, w, what in ((got[0], want[0], "figure"), (got[1], want[1], "mesh")):
        if g != w:
            i = next((k for k in range(min(len(g), len(w))) if g[k] != w[k]), min(len(g), len(w)))
            raise CaseFailed("the %s file differs at byte %d: %r against %r" % (what, i, g[i:i + 60], w[i:i + 60]))


def expect_count(data, needle, n):
    if data.count(needle) != n:
        raise CaseFailed("%r occurs %d times, expected %d" % (needle, data.count(needle), n))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    r = Runner(os.path.abspath(sys.argv[1]))
    cases = [
        ("binary garbage", r.garbage),
        ("NUL bytes", r.nul_bytes),
        ("10 MB blank line", r.long_blank_line),
        ("10 MB single line", r.long_line),
        ("100 000 lines", r.many_lines),
        ("CR-only line ends", r.cr_line_ends),
        ("Ctrl-Z in mid-file", r.ctrl_z),
        ("names of 31, 32, 63, 64 characters", r.names),
        ("1024 and 1025 atoms", r.atoms_1024),
        ("128 and 129 elements", r.elements_128),
        ("branch nested 1023 deep", r.deep_branch),
        ("more } than {", r.extra_closing),
        ("numbers 1e308, 1e309, -0, .5e, --1, 1e-400", r.numbers),
        ("description that is a folder, a device, a pipe", r.not_a_file),
        ("unreadable description", r.unreadable),
        ("read-only output folder", r.readonly_folder),
        ("read-only file system", r.readonly_mount),
        ("disk that fills up", r.disk_full),
        ("file size limit", r.file_size_limit),
    ]
    try:
        for name, fn in cases:
            r.run(name, fn)
    finally:
        r.cleanup()
    print("%d cases, %d failed, %d skipped" % (len(cases), len(r.failures), len(r.skips)))
    return 1 if r.failures else 0


if __name__ == "__main__":
    sys.exit(main())
