#!/usr/bin/env python3
"""kestrix-import on small files made to cost it much: each is generated here
(a few megabytes at most on the disk, most of it gzip-compressed), imported,
and its time and peak memory printed. Each must end, imported or refused
with a message, within a second and 64 MB.

usage: hostile_import.py KESTRIX_IMPORT WORK_DIR [--check [SCALE]]

Without --check: the full-sized files, figures printed, exit 1 when one
misses its target. With --check (the test): files SCALE times smaller
(default 8; still past the memory a reader that keeps every line would
need), the outcome and the peak memory checked, time only printed (a shared
machine's timing is no test).
"""

import gzip
import os
import random
import sys
import time

MB = 1024 * 1024
MEMORY = 64 * MB
SECONDS = 1.0


def gzipped(path, piece, count):
    """count copies of piece, as one gzip file of count members of piece:
    compressed once, so a file of a gigabyte is made in a moment."""
    member = gzip.compress(piece, 6)
    with open(path, "wb") as f:
        for _ in range(count):
            f.write(member)


def pdb_conect(path, scale):
    """Two atoms and 16 M identical CONECT records between them: refused
    once the records pass what two atoms' bonds could need (reading them
    all, 1.3 GB unpacked, takes seconds whatever is done with them)."""
    lines = 16 * MB // scale
    head = ("HETATM    1  O   HOH A   1       0.000   0.000   0.000  1.00  0.00           O\n"
            "HETATM    2  H   HOH A   1       0.960   0.000   0.000  1.00  0.00           H\n").encode()
    piece = b"CONECT    1    2                                                                \n" * (MB // 16)
    with open(path, "wb") as f:
        f.write(gzip.compress(head))
    with open(path, "ab") as f:
        member = gzip.compress(piece, 6)
        for _ in range(lines // (MB // 16)):
            f.write(member)
        f.write(gzip.compress(b"END\n"))
    return "refused", b"too many CONECT records"


def cml_newlines(path, scale):
    """A water molecule with 100 MB of empty lines inside its atomArray."""
    head = (b'<?xml version="1.0"?>\n<cml><molecule id="w"><atomArray>\n'
            b'<atom id="a1" elementType="O" x3="0" y3="0" z3="0"/>\n')
    tail = (b'<atom id="a2" elementType="H" x3="0.96" y3="0" z3="0"/>\n'
            b'<atom id="a3" elementType="H" x3="-0.24" y3="0.93" z3="0"/>\n'
            b"</atomArray></molecule></cml>\n")
    with open(path, "wb") as f:
        f.write(gzip.compress(head))
        member = gzip.compress(b"\n" * MB, 9)
        for _ in range(100 // scale):
            f.write(member)
        f.write(gzip.compress(tail))
    return "imported", b"3 atoms, 2 bonds"


def cif_symmetry(path, scale):
    """A small-molecule CIF of space group F m -3 m (192 operations) with 400
    random sites: 76,800 images to place and tell apart."""
    rnd = random.Random(400)
    sites = 400 // scale
    text = ["data_hostile", "_cell_length_a 60", "_cell_length_b 60", "_cell_length_c 60",
            "_cell_angle_alpha 90", "_cell_angle_beta 90", "_cell_angle_gamma 90",
            "_symmetry_space_group_name_H-M 'F m -3 m'", "_space_group_IT_number 225",
            "loop_", "_atom_site_label", "_atom_site_type_symbol", "_atom_site_fract_x",
            "_atom_site_fract_y", "_atom_site_fract_z"]
    for i in range(sites):
        text.append("C%d C %.5f %.5f %.5f" % (i + 1, rnd.random(), rnd.random(), rnd.random()))
    with open(path, "w") as f:
        f.write("\n".join(text) + "\n")
    return "refused", b"too many atoms"


def v3000_continued(path, scale):
    """A V3000 molecule whose first atom's statement runs on over 320,000
    continuation lines."""
    lines = 320000 // scale
    head = ("hostile\n  kestrix\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n"
            "M  V30 COUNTS 1 0 0 0 0\nM  V30 BEGIN ATOM\nM  V30 1 C 0 0 0 0 -\n").encode()
    tail = b"M  V30 0\nM  V30 END ATOM\nM  V30 END CTAB\nM  END\n$$$$\n"
    with open(path, "wb") as f:
        f.write(gzip.compress(head))
        piece = b"M  V30 0 -\n" * 10000
        member = gzip.compress(piece, 9)
        for _ in range(lines // 10000):
            f.write(member)
        f.write(gzip.compress(tail))
    return "imported", b"1 atoms, 0 bonds"


def mmcif_blocks(path, scale):
    """An mmCIF file of one water molecule followed by 200,000 data blocks."""
    blocks = 200000 // scale
    head = ("data_first\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n"
            "_atom_site.label_atom_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n"
            "_atom_site.label_alt_id\n_atom_site.label_seq_id\n_atom_site.auth_seq_id\n_atom_site.Cartn_x\n"
            "_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n"
            "_atom_site.pdbx_PDB_model_num\n"
            "HETATM 1 O O HOH A . . 1 0.000 0.000 0.000 1 0 1\n"
            "HETATM 2 H H1 HOH A . . 1 0.960 0.000 0.000 1 0 1\n"
            "HETATM 3 H H2 HOH A . . 1 -0.240 0.930 0.000 1 0 1\n").encode()
    with open(path, "wb") as f:
        f.write(gzip.compress(head))
        f.write(gzip.compress(b"".join(b"data_b%d\n_x.y %d\n" % (i, i) for i in range(blocks)), 6))
    return "imported", b"3 atoms, 2 bonds"


FILES = [
    ("PDB, 16 M identical CONECT records", "conect.pdb.gz", pdb_conect),
    ("CML, 100 MB of empty lines", "newlines.cml.gz", cml_newlines),
    ("CIF, F m -3 m, 400 random sites", "symmetry.cif", cif_symmetry),
    ("SDF V3000, 320 k continuation lines", "continued.sdf.gz", v3000_continued),
    ("mmCIF, 200 k data blocks", "blocks.cif.gz", mmcif_blocks),
]


def run(imp, src, out, work):
    """Exit status, standard output and error, seconds (wall clock and
    processor), peak memory (bytes) of one import. A child's peak as wait4
    gives it starts from its parent's (Linux carries it across exec), so
    the import runs under /usr/bin/time, a small parent, where there is one;
    else the figure includes this script's own memory."""
    log = os.path.join(work, "log")
    figures = os.path.join(work, "figures")
    timer = ["/usr/bin/time", "-o", figures, "-f", "%U %S %M"] if os.path.exists("/usr/bin/time") else []
    cmd = timer + [imp, "--force", "-o", out, src]
    with open(log, "wb") as f:
        start = time.monotonic()
        pid = os.posix_spawn(cmd[0], cmd, os.environ, file_actions=[(os.POSIX_SPAWN_DUP2, f.fileno(), 1),
                                                                   (os.POSIX_SPAWN_DUP2, f.fileno(), 2)])
        _, status, usage = os.wait4(pid, 0)
        seconds = time.monotonic() - start
    with open(log, "rb") as f:
        text = f.read()
    os.remove(log)
    rc = os.waitstatus_to_exitcode(status)
    if not timer:
        return rc, text, seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024
    with open(figures) as f:
        last = f.read().splitlines()[-1].split()  # after "Command exited with non-zero status"
    os.remove(figures)
    return rc, text, seconds, float(last[0]) + float(last[1]), int(last[2]) * 1024


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    imp, work = os.path.abspath(args[0]), args[1]
    check = "--check" in args
    scale = int(args[3]) if check and len(args) > 3 else (8 if check else 1)
    os.makedirs(work, exist_ok=True)
    with open(imp, "rb") as f:
        sanitized = b"__asan_init" in f.read()
    failed = 0
    print("kestrix-import on hostile files%s: processor time, wall clock, peak memory" %
          (" (1/%d size)" % scale if scale > 1 else ""))
    for what, name, make in FILES:
        src = os.path.join(work, name)
        outcome, expect = make(src, scale)
        rc, text, seconds, cpu, peak = run(imp, src, os.path.join(work, "out.krx"), work)
        got = "imported" if rc == 0 else "refused" if rc == 1 else "ended with status %d" % rc
        problems = []
        if got != outcome or expect not in text:
            problems.append("%s, not %s with %r: %s" % (got, outcome, expect.decode(), text.decode()[-300:]))
        if peak > MEMORY and not sanitized:
            problems.append("peak memory %.1f MB" % (peak / MB))
        # Processor time: the wall clock of a shared machine counts the
        # others' work too.
        if not check and cpu > SECONDS:
            problems.append("%.2f s" % cpu)
        print("  %-38s %6.2f s %6.2f s %7.1f MB  %s%s" % (what, cpu, seconds, peak / MB, got,
                                                  "  FAIL: " + "; ".join(problems) if problems else ""))
        failed += bool(problems)
        os.remove(src)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
