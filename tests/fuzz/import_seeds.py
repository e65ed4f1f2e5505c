#!/usr/bin/env python3
"""Writes the importer fuzzer's seeds into the folder given: each sample file of
tests/import/data behind two bytes, the first picking its format (as
import_fuzz.cpp numbers them), the second the selection (0: none; 36: the
first model with a limit of 4 atoms, so that counting beyond the limit is
reached). Deterministic: rerunning it rewrites the same files."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "import", "data")
OUT = sys.argv[1]
os.makedirs(OUT, exist_ok=True)
FORMATS = {".xyz": 0, ".pdb": 1, ".mol": 2, ".sdf": 2, ".mol2": 3, ".cif": 4, ".cml": 5}

for name in sorted(os.listdir(DATA)):
    stem, suffix = os.path.splitext(name)
    if suffix not in FORMATS:
        continue
    with open(os.path.join(DATA, name), "rb") as f:
        text = f.read()
    for flags in (0, 36):
        with open(os.path.join(OUT, "%s_%s_%d" % (stem, suffix[1:], flags)), "wb") as f:
            f.write(bytes([FORMATS[suffix], flags]) + text)
