#!/usr/bin/env python3
"""Writes peptide.pdb and peptide.cif: the same made-up structure in both
formats, for the importer's round trip. Two chains of four residues built
from standard bond lengths and angles (a beta strand), a disulfide between
the two cysteines (CONECT in PDB, _struct_conn in mmCIF), a serine with two
alternate locations of its OG, three waters in chain W, and a second model
shifted by 0.5 A. Run it in this folder: python3 make_peptide.py"""
import math


def place(a, b, c, length, angle, torsion):
    """The atom at length from c, at angle b-c-new, torsion a-b-c-new."""
    angle, torsion = math.radians(angle), math.radians(torsion)
    bc = [c[i] - b[i] for i in range(3)]
    n = math.sqrt(sum(x * x for x in bc))
    bc = [x / n for x in bc]
    ab = [b[i] - a[i] for i in range(3)]
    nv = [ab[1] * bc[2] - ab[2] * bc[1], ab[2] * bc[0] - ab[0] * bc[2], ab[0] * bc[1] - ab[1] * bc[0]]
    n = math.sqrt(sum(x * x for x in nv))
    nv = [x / n for x in nv]
    m = [nv[1] * bc[2] - nv[2] * bc[1], nv[2] * bc[0] - nv[0] * bc[2], nv[0] * bc[1] - nv[1] * bc[0]]
    d = [-length * math.cos(angle), length * math.sin(angle) * math.cos(torsion),
         length * math.sin(angle) * math.sin(torsion)]
    return [c[i] + d[0] * bc[i] + d[1] * m[i] + d[2] * nv[i] for i in range(3)]


def chain(residues, origin):
    atoms = []
    n = [origin[0], origin[1], origin[2]]
    ca = [n[0] + 1.458, n[1], n[2]]
    c = place([n[0], n[1] + 1, n[2]], n, ca, 1.525, 111.0, -60.0)
    for k, res in enumerate(residues):
        if k > 0:
            n = place(prevn, prevca, prevc, 1.329, 116.2, 130.0)
            ca = place(prevca, prevc, n, 1.458, 121.7, 180.0)
            c = place(prevc, n, ca, 1.525, 111.0, -120.0)
        o = place(n, ca, c, 1.231, 120.5, 130.0 + 180.0)
        group = [("N", "N", n, " "), ("CA", "C", ca, " "), ("C", "C", c, " "), ("O", "O", o, " ")]
        if res != "GLY":
            cb = place(c, n, ca, 1.53, 110.5, -122.5)
            group.append(("CB", "C", cb, " "))
            if res == "CYS":
                group.append(("SG", "S", place(n, ca, cb, 1.81, 114.0, -60.0), " "))
            if res == "SER":
                group.append(("OG", "O", place(n, ca, cb, 1.42, 111.0, -60.0), "A"))
                group.append(("OG", "O", place(n, ca, cb, 1.42, 111.0, 180.0), "B"))
        atoms.append((res, k + 1, group))
        prevn, prevca, prevc = n, ca, c
    return atoms


def structure(shift):
    chains = [("A", chain(["GLY", "CYS", "ALA", "SER"], [0.0 + shift, 0.0, 0.0])),
              ("B", chain(["ALA", "CYS", "GLY", "SER"], [0.0 + shift, 9.5, 0.0]))]
    waters = []
    for k in range(3):
        o = [12.0 + shift + 3.1 * k, -3.0, 2.0]
        waters.append(("HOH", 101 + k, [("O", "O", o, " "),
                                        ("H1", "H", [o[0] + 0.9572, o[1], o[2]], " "),
                                        ("H2", "H", [o[0] - 0.2400, o[1] + 0.9266, o[2]], " ")]))
    chains.append(("W", waters))
    return chains


def rows(shift):
    serial = 0
    out = []
    for chain_id, residues in structure(shift):
        for res, number, group in residues:
            for name, element, xyz, alt in group:
                serial += 1
                het = "HETATM" if res == "HOH" else "ATOM"
                out.append((het, serial, name, alt, res, chain_id, number, xyz, element))
    return out


def pdbname(name, element):
    return (" " + name).ljust(4) if len(element) == 1 and len(name) < 4 else name.ljust(4)


with open("peptide.pdb", "w") as f:
    f.write("HEADER    MADE-UP PEPTIDE FOR THE IMPORT ROUND TRIP\n")
    serials = {}
    for model, shift in ((1, 0.0), (2, 0.5)):
        f.write("MODEL     %4d\n" % model)
        for het, serial, name, alt, res, ch, num, xyz, el in rows(shift):
            occ = 0.5 if alt != " " else 1.0
            f.write("%-6s%5d %s%s%3s %s%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2s\n"
                    % (het, serial, pdbname(name, el), alt, res, ch, num, xyz[0], xyz[1], xyz[2], occ, 0.0, el))
            if name == "SG":
                serials[ch] = serial
        f.write("ENDMDL\n")
    f.write("CONECT%5d%5d\n" % (serials["A"], serials["B"]))
    f.write("CONECT%5d%5d\n" % (serials["B"], serials["A"]))
    f.write("END\n")

with open("peptide.cif", "w") as f:
    f.write("data_PEPT\n#\n")
    f.write("loop_\n_struct_conn.id\n_struct_conn.conn_type_id\n")
    for side in ("1", "2"):
        for item in ("label_asym_id", "label_comp_id", "label_seq_id", "label_atom_id",
                     "auth_asym_id", "auth_seq_id"):
            f.write("_struct_conn.ptnr%s_%s\n" % (side, item))
    f.write("disulf1 disulf A CYS 2 SG B CYS 2 SG A CYS 2 SG B CYS 2 SG\n".replace(
        "A CYS 2 SG B CYS 2 SG A CYS 2 SG B CYS 2 SG", "A CYS 2 SG A 2 B CYS 2 SG B 2"))
    f.write("#\nloop_\n")
    for item in ("group_PDB", "id", "type_symbol", "label_atom_id", "label_alt_id", "label_comp_id",
                 "label_asym_id", "label_seq_id", "Cartn_x", "Cartn_y", "Cartn_z", "occupancy", "B_iso_or_equiv",
                 "auth_seq_id", "auth_asym_id", "pdbx_PDB_model_num"):
        f.write("_atom_site.%s\n" % item)
    for model, shift in ((1, 0.0), (2, 0.5)):
        for het, serial, name, alt, res, ch, num, xyz, el in rows(shift):
            f.write("%s %d %s %s %s %s %s %s %.3f %.3f %.3f %.2f 0.00 %d %s %d\n"
                    % (het, serial, el, name, alt if alt != " " else ".", res, ch,
                       str(num) if res != "HOH" else ".", xyz[0], xyz[1], xyz[2],
                       0.5 if alt != " " else 1.0, num, ch, model))
    f.write("#\n")
