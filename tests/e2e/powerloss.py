#!/usr/bin/env python3
"""Outputs after a power loss, on a real ext4 file system.

An ext4 image on a loop device is cut off right after a successful run with
the EXT4_IOC_SHUTDOWN ioctl without flushing its journal (what the disk
holds is what a power loss would leave), then mounted again: every output
must hold its whole new file, and with --force never an empty one (mounted
with noauto_da_alloc too, where ext4 does not flush a replaced file by
itself). Needs root, mkfs.ext4 and loop devices; skipped (77) with a message
where they are missing.

usage: powerloss.py KESTRIX_CLI KESTRIX_IMPORT
"""

import fcntl
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "data", "golden")
IMPORTDATA = os.path.join(HERE, "..", "import", "data")
EXT4_IOC_SHUTDOWN = 0x8004587D  # _IOR('X', 125, __u32)
EXT4_GOING_FLAGS_NOLOGFLUSH = 2
SKIP = 77


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def quiet(cmd):
    return subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE).returncode == 0


class Disk:
    """An ext4 image, mounted at self.mnt for the length of one case."""

    def __init__(self, top):
        self.image = os.path.join(top, "disk.img")
        self.mnt = os.path.join(top, "mnt")
        os.makedirs(self.mnt)
        with open(self.image, "wb") as f:
            f.truncate(32 << 20)
        if not quiet(["mkfs.ext4", "-q", "-F", self.image]):
            raise OSError("mkfs.ext4 failed")

    def mount(self, options):
        p = subprocess.run(["mount", "-o", "loop," + options, self.image, self.mnt], stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE)
        if p.returncode != 0:
            raise OSError(p.stderr.decode().strip())

    def powerloss(self):
        fd = os.open(self.mnt, os.O_RDONLY)
        try:
            fcntl.ioctl(fd, EXT4_IOC_SHUTDOWN, struct.pack("I", EXT4_GOING_FLAGS_NOLOGFLUSH))
        finally:
            os.close(fd)
        subprocess.run(["umount", self.mnt], check=True)

    def umount(self):
        subprocess.run(["umount", self.mnt], stderr=subprocess.DEVNULL)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    cli, imp = (os.path.abspath(a) for a in sys.argv[1:])
    if os.geteuid() != 0:
        print("skipped: mounting an ext4 image needs root")
        return SKIP
    if not shutil.which("mkfs.ext4") or not shutil.which("losetup") or not quiet(["losetup", "-f"]):
        print("skipped: no mkfs.ext4 or no free loop device")
        return SKIP
    top = tempfile.mkdtemp(prefix="kestrix-powerloss-")
    failures = []
    try:
        disk = Disk(top)
        try:
            disk.mount("rw")
            disk.umount()
        except OSError as e:
            print("skipped: the image cannot be mounted (%s)" % e)
            return SKIP

        # What each run writes, made on an ordinary folder first.
        ref = os.path.join(top, "ref")
        cases = [
            ("poser pair and kestrix.ini, new", "rw", False,
             lambda d: [cli, "--quiet", "--poser", os.path.join(d, "poser"), os.path.join(d, "water.krx")],
             ["poser/Runtime/Libraries/character/Molecules/water.cr2", "poser/kestrix/water.obj", "kestrix.ini"]),
            ("poser pair --force, noauto_da_alloc", "rw,noauto_da_alloc", True,
             lambda d: [cli, "--quiet", "--force", "--poser", os.path.join(d, "poser"), os.path.join(d, "water.krx")],
             ["poser/Runtime/Libraries/character/Molecules/water.cr2", "poser/kestrix/water.obj", "kestrix.ini"]),
            ("--glb --force", "rw,noauto_da_alloc", True,
             lambda d: [cli, "--quiet", "--glb", "--force", os.path.join(d, "water.krx")], ["water.glb"]),
            ("kestrix-import --force", "rw,noauto_da_alloc", True,
             lambda d: [imp, "--force", "-o", os.path.join(d, "water.krx"), os.path.join(d, "water.xyz")],
             ["water.krx"]),
        ]

        def prepare(d, old):
            os.makedirs(os.path.join(d, "poser/Runtime/Libraries/character/Molecules"), exist_ok=True)
            os.makedirs(os.path.join(d, "poser/kestrix"), exist_ok=True)
            write(os.path.join(d, "water.krx"), read(os.path.join(GOLDEN, "water.krx")))
            shutil.copy(os.path.join(IMPORTDATA, "water.xyz"), os.path.join(d, "water.xyz"))
            # The settings file is rewritten where one stands.
            write(os.path.join(d, "kestrix.ini"), b"")
            if old:
                for name in ("poser/Runtime/Libraries/character/Molecules/water.cr2", "poser/kestrix/water.obj",
                             "water.glb", "kestrix.ini"):
                    write(os.path.join(d, name), b"old " + name.encode() + b"\n")

        for name, options, old, cmd, outputs in cases:
            shutil.rmtree(ref, ignore_errors=True)
            os.makedirs(ref)
            prepare(ref, old)
            p = subprocess.run(cmd(ref), cwd=ref, stderr=subprocess.PIPE)
            if p.returncode != 0:
                failures.append(name)
                print("FAIL %s: the reference run failed: %s" % (name, p.stderr.decode()))
                continue
            # kestrix.ini names the Poser folder: the mounted one's name.
            want = {o: read(os.path.join(ref, o)).replace(ref.encode(), disk.mnt.encode()) for o in outputs}
            disk.mount(options)
            try:
                prepare(disk.mnt, old)
                os.sync()  # the old files are on the disk before the run
                p = subprocess.run(cmd(disk.mnt), cwd=disk.mnt, stderr=subprocess.PIPE)
                disk.powerloss()
            except BaseException:
                disk.umount()
                raise
            disk.mount(options)
            try:
                got = {o: read(os.path.join(disk.mnt, o)) if os.path.exists(os.path.join(disk.mnt, o)) else None
                       for o in outputs}
                for o in outputs:
                    if os.path.exists(os.path.join(disk.mnt, o)):
                        os.remove(os.path.join(disk.mnt, o))
            finally:
                disk.umount()
            bad = [o for o in outputs if got[o] != want[o]]
            if p.returncode != 0 or bad:
                failures.append(name)
                print("FAIL %s: exit %d; after the power loss %s" % (
                    name, p.returncode, ", ".join("%s holds %d bytes" % (o, len(got[o] or b"")) for o in bad)))
            else:
                print("ok   " + name)
    finally:
        shutil.rmtree(top, ignore_errors=True)
    print("%d cases, %d failed" % (len(cases), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
