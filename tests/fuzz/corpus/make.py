#!/usr/bin/env python3
"""Writes the fuzzer's extra seeds into this folder: descriptions at the
format's limits that mutations would take long to grow to. Each is replayed
by the ordinary build too (the bond-angle pass against its plain form).
Deterministic: rerunning it rewrites the same files."""

import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def elements(n):
    return ["element E%d %d %d %d %.3f" % (e, e * 2, 255 - e, (e * 37) % 256, 0.2 + e / 256) for e in range(n)]


def write(name, lines):
    with open(os.path.join(HERE, name), "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    # 1024 atoms in one chain: the deepest walk.
    lines = ["readxyz", "bondradius 0.05 200 180 160"] + elements(128)
    for a in range(1024):
        t = a * 0.7
        lines.append("atom A%d E%d %.6f %.6f %.6f" % (a, a % 128, 1.4 * math.cos(t), 0.35 * a, 1.4 * math.sin(t)))
    write("chain.krx", lines)

    # A root with 1023 children: the widest.
    lines = ["readxyz", "bondradius 0.05"] + elements(4) + ["atom R E0 0.5 -0.25 0.125"]
    for a in range(1, 1024):
        z = 1 - 2 * (a + 0.5) / 1023
        r = math.sqrt(max(0.0, 1 - z * z))
        t = a * 2.399963
        lines.append("{ atom C%d E%d %.6f %.6f %.6f }" % (a, a % 4, 3 * r * math.cos(t), 3 * z, 3 * r * math.sin(t)))
    write("bushy.krx", lines)

    # Random branches, coordinates on axes, coincident atoms and signed zeros.
    rng = random.Random(6)
    lines = ["readxyz", "element X 1 2 3 0.5", "atom R X 0 0 0"]
    depth = 0
    for a in range(1, 400):
        opens = rng.random() < 0.3
        closes = rng.randrange(3) if rng.random() < 0.3 else 0
        coords = [rng.choice(["0", "-0", "1", "-1", "%.3f" % rng.uniform(-5, 5), "1e-300", "1e300"]) for _ in range(3)]
        lines.append("%satom N%d X %s%s" % ("{ " if opens else "", a, " ".join(coords), " }" * closes))
        depth = max(0, depth + opens - closes)
    write("branches.krx", lines)


if __name__ == "__main__":
    main()
