// Files that were read wrongly, refused for no good reason or blamed on the
// wrong line: each a named case with its input, read as the importer reads
// it, bonds included.
#include <gtest/gtest.h>

#include "import/bonds.h"
#include "import/elements.h"
#include "importtest.h"
#include "import/krx.h"

using namespace importer;

namespace {

const char *WATERPDB =
    "ATOM      1  O   HOH A   1       0.000   0.000   0.117  1.00  0.00           O\r"
    "ATOM      2  H1  HOH A   1       0.000   0.757  -0.469  1.00  0.00           H\r"
    "ATOM      3  H2  HOH A   1       0.000  -0.757  -0.469  1.00  0.00           H\r"
    "END\r";

const char *WATERSDF =
    "water\r\r\r  3  2  0  0  0  0  0  0  0  0999 V2000\r"
    "    0.0000    0.0000    0.1173 O   0  0\r"
    "    0.0000    0.7572   -0.4692 H   0  0\r"
    "    0.0000   -0.7572   -0.4692 H   0  0\r"
    "  1  2  1  0\r  1  3  1  0\rM  END\r$$$$\r";

// Bromoform squeezed so that its bromines stand 2.83 apart, within the
// distance rule for two bromines (2.85).
const char *BROMOFORM =
    "5\nbromoform\nC 0 0 0\nH 0 0 -1.09\nBr 1.6339 0 1.0271\n"
    "Br -0.8170 1.4150 1.0271\nBr -0.8170 -1.4150 1.0271\n";

// Two waters, a hydrogen of the first 1.15 from the oxygen of the second.
const char *CLASH =
    "6\nclash\nO 0 0 0\nH 0.757 0.586 0\nH -0.757 0.586 0\n"
    "O 0.757 1.736 0\nH 1.514 2.322 0\nH 0 2.322 0\n";

// Metal contacts of crystal structures: Ti-Ti 3.0 and Sc-Sc 3.7 (within the
// distance rule: 3.65 and 3.85), and an oxygen bound to both titaniums.
const char *METALS = "5\nmetals\nTi 0 0 0\nTi 3.0 0 0\nO 1.5 1.0 0\nSc 0 10 0\nSc 3.7 10 0\n";

// An mmCIF water, then a second data block that says one tag twice: only
// the first block is read, so what follows it costs nothing and breaks
// nothing.
const char *WATERCIF =
    "data_first\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n"
    "_atom_site.label_atom_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n"
    "_atom_site.label_alt_id\n_atom_site.label_seq_id\n_atom_site.auth_seq_id\n"
    "_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n"
    "_atom_site.B_iso_or_equiv\n"
    "HETATM 1 O O HOH A . . 1 0.000 0.000 0.117 1 0\n"
    "HETATM 2 H H1 HOH A . . 1 0.000 0.757 -0.469 1 0\n"
    "HETATM 3 H H2 HOH A . . 1 0.000 -0.757 -0.469 1 0\n"
    "data_second\n_x.y 1\n_x.y 2\n";

// Two atoms, then CONECT records: n of them.
std::string conects(int n)
{
    std::string text =
        "HETATM    1  C1  LIG A   1       0.000   0.000   0.000  1.00  0.00           C\n"
        "HETATM    2  C2  LIG A   1       1.500   0.000   0.000  1.00  0.00           C\n";
    for (int i = 0; i < n; i++)
        text += "CONECT    1    2\n";
    return text;
}

struct accepted {
    const char *name;
    inputformat format;
    std::string text;
    size_t atoms;
    bondlist bonds;
};

struct refused {
    const char *name;
    inputformat format;
    std::string text;
    std::string what, detail;
};

} // namespace

TEST(Defects, FilesNowReadAsTheyMean)
{
    const accepted cases[] = {
        {"pdb_cr_only_line_ends", FORMAT_PDB, WATERPDB, 3, {{0, 1}, {0, 2}}},
        {"xyz_cr_only_line_ends",
         FORMAT_XYZ,
         "3\rwater\rO 0 0 0.1173\rH 0 0.7572 -0.4692\rH 0 -0.7572 -0.4692\r",
         3,
         {{0, 1}, {0, 2}}},
        {"sdf_cr_only_line_ends", FORMAT_MOL, WATERSDF, 3, {{0, 1}, {0, 2}}},
        {"bromoform_no_bromine_bromine_bonds", FORMAT_XYZ, BROMOFORM, 5, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}},
        {"clashing_hydrogen_keeps_one_bond", FORMAT_XYZ, CLASH, 6, {{0, 1}, {0, 2}, {3, 4}, {3, 5}}},
        {"no_metal_metal_bonds_from_distances", FORMAT_XYZ, METALS, 5, {{0, 2}, {1, 2}}},
        {"deuterium_and_tritium",
         FORMAT_XYZ,
         "3\nDTO\nO 0 0 0.1173\nD 0 0.7572 -0.4692\nt 0 -0.7572 -0.4692\n",
         3,
         {{0, 1}, {0, 2}}},
        {"fortran_exponents", FORMAT_XYZ, "2\nco\nC 0.0D+00 0 0\nO 1.128D0 0.0d0 0\n", 2, {{0, 1}}},
        {"sdf_counts_written_as_reals",
         FORMAT_MOL,
         "co\n\n\n2.0 1.0  0  0  0  0  0  0  0  0999 V2000\n"
         "    0.0000    0.0000    0.0000 C   0  0\n    1.1280    0.0000    0.0000 O   0  0\n  1  2  3  0\n",
         2,
         {{0, 1}}},
        {"free_format_conect",
         FORMAT_PDB,
         "HETATM    1  C1  LIG A   1       0.000   0.000   0.000  1.00  0.00           C\n"
         "HETATM    2  C2  LIG A   1       3.000   0.000   0.000  1.00  0.00           C\n"
         "CONECT 1 2\n",
         2,
         {{0, 1}}},
        {"unreadable_conect_is_left_out",
         FORMAT_PDB,
         "HETATM    1  C1  LIG A   1       0.000   0.000   0.000  1.00  0.00           C\n"
         "HETATM    2  C2  LIG A   1       1.500   0.000   0.000  1.00  0.00           C\n"
         "CONECT    1   x2\n",
         2,
         {{0, 1}}},
        {"dummy_atoms_left_out",
         FORMAT_MOL,
         "r\n\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n"
         "    0.0000    0.0000    0.0000 C   0  0\n    1.4300    0.0000    0.0000 O   0  0\n"
         "   -1.5000    0.0000    0.0000 R#  0  0\n  1  2  1  0\n  1  3  1  0\n",
         2,
         {{0, 1}}},
        {"alternate_locations_may_coincide",
         FORMAT_PDB,
         "HETATM    1  O  AHOH A   1       0.000   0.000   0.000  0.50  0.00           O\n"
         "HETATM    2  O  AHOH A   2       0.100   0.000   0.000  0.50  0.00           O\n",
         2,
         {}},
        {"mmcif_only_the_first_block_parsed", FORMAT_CIF, WATERCIF, 3, {{0, 1}, {0, 2}}},
        {"conect_records_as_many_as_bonds_may_need", FORMAT_PDB, conects(1016), 2, {{0, 1}}},
    };
    for (const accepted &c : cases) {
        inmolecule m;
        problem p;
        ASSERT_EQ(readtext(c.format, c.text, m, p), 1) << c.name << ": " << p.what << ": " << p.detail;
        EXPECT_EQ(m.atoms.size(), c.atoms) << c.name;
        bondlist bonds;
        EXPECT_EQ(findbonds(m, "t", bonds, p), 1) << c.name << ": " << p.detail;
        EXPECT_EQ(bonds, c.bonds) << c.name;
    }
}

TEST(Defects, WhatIsReadFromTheRightColumnsAndNamed)
{
    inmolecule m;
    std::vector<problem> told;
    listen(m, told);
    problem p;
    ASSERT_EQ(readtext(FORMAT_XYZ, "3\nDTO\nO 0 0 0.1173\nD 0 0.7572 -0.4692\nt 0 -0.7572 -0.4692\n", m, p),
              1);
    EXPECT_EQ(atomnames(m), (std::vector<std::string>{"O1", "D1", "T1"}));
    EXPECT_EQ(m.atoms[1].element, 1);
    ASSERT_EQ(readtext(FORMAT_XYZ, "2\nco\nC 0.0D+00 0 0\nO 1.128D0 -2.5d-1 0\n", m, p), 1);
    EXPECT_EQ(m.atoms[1].x, 1.128);
    EXPECT_EQ(m.atoms[1].y, -0.25);
    ASSERT_EQ(readtext(FORMAT_MOL,
                       "r\n\n\n  2  1\n    0.0000    0.0000    0.0000 C   0  0\n"
                       "   -1.5000    0.0000    0.0000 R#  0  0\n  1  2  1  0\n",
                       m, p),
              1);
    EXPECT_EQ(m.dummies, 1);
    ASSERT_EQ(readtext(FORMAT_PDB,
                       "HETATM    1  C1  LIG A   1       0.000   0.000   0.000  1.00  0.00           C\n"
                       "CONECT    1   x2\nCONECT    1   y2\n",
                       m, p),
              1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].what, "CONECT not read");
    EXPECT_EQ(told[0].detail, "t:2: 2 CONECT records give no serial numbers and are left out");
}

TEST(Defects, RefusedWithTheRightLineBlamed)
{
    const refused cases[] = {
        {"twin_atoms", FORMAT_XYZ, "3\ntwins\nC 0 0 0\nC 0 0 0\nO 1.2 0 0\n", "atoms too close",
         "t:3 and line 4: two atoms 0.00 A apart, one atom written twice?"},
        {"twin_atoms_in_pdb", FORMAT_PDB,
         "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00  0.00           C\n"
         "ATOM      2  CA  GLY A   2       0.100   0.200   0.000  1.00  0.00           C\n",
         "atoms too close", "t:1 and line 2: two atoms 0.22 A apart, one atom written twice?"},
        {"sdf_counts_overflow", FORMAT_MOL, "big\n\n\n12341300  0  0  0  0  0  0  0  0999 V2000\n",
         "malformed line",
         "t:4: the counts line runs its atom and bond counts together (\"12341300\"): over 999 atoms or "
         "bonds do not fit V2000's three columns; write the file as V3000"},
        {"sdf_counts_claim_too_many_atoms", FORMAT_MOL,
         "co\n\n\n  3  1  0  0  0  0  0  0  0  0999 V2000\n"
         "    0.0000    0.0000    0.0000 C   0  0\n    1.1280    0.0000    0.0000 O   0  0\n  1  2  3  0\nM  "
         "END\n",
         "malformed line",
         "t:4: the counts line announces 3 atoms, but the atom block ends after 2 (line 7 is no atom line)"},
        {"sdf_counts_claim_too_many_bonds", FORMAT_MOL,
         "co\n\n\n  2  2  0  0  0  0  0  0  0  0999 V2000\n"
         "    0.0000    0.0000    0.0000 C   0  0\n    1.1280    0.0000    0.0000 O   0  0\n  1  2  3  0\nM  "
         "END\n",
         "malformed line",
         "t:4: the counts line announces 2 bonds, but the bond block ends after 1 (line 8)"},
        {"pdb_with_tabs", FORMAT_PDB, "ATOM\t1\tCA\tALA\tA\t1\t0.000\t0.000\t0.000\n", "malformed line",
         "t:1: a tab in a fixed-column record; PDB fields stand in fixed columns, so write the file with "
         "spaces"},
        {"conect_records_past_what_bonds_need", FORMAT_PDB, conects(1017), "too many CONECT records",
         "t:1019: 1017 CONECT records for 2 atoms, more than its bonds can need"},
    };
    for (const refused &c : cases) {
        inmolecule m;
        problem p;
        int ok = readtext(c.format, c.text, m, p);
        if (ok) {
            bondlist bonds;
            ok = findbonds(m, "t", bonds, p);
        }
        EXPECT_EQ(ok, 0) << c.name;
        EXPECT_EQ(p.what, c.what) << c.name;
        EXPECT_EQ(p.detail, c.detail) << c.name;
    }
}

TEST(Bonds, TheGridFindsExactlyThePairsEveryPairTestFinds)
{
    // Atoms scattered over a box, some far out, of elements of every size.
    const int elements[] = {1, 6, 8, 16, 26, 35, 55, 92};
    std::vector<inatom> atoms;
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) % 100000) / 100000.0;
    };
    for (int i = 0; i < 600; i++) {
        inatom a;
        a.element = elements[i % 8];
        a.x = next() * 20 - 10;
        a.y = next() * 20 - 10;
        a.z = next() * 20 - 10 + (i % 97 == 0 ? 1e6 : 0);
        atoms.push_back(a);
    }
    std::vector<std::pair<int, int>> grid, brute;
    nearpairs(atoms, [&](int i, int j, double) { grid.push_back({i, j}); });
    for (int i = 0; i < 600; i++)
        for (int j = i + 1; j < 600; j++) {
            double dx = atoms[i].x - atoms[j].x, dy = atoms[i].y - atoms[j].y, dz = atoms[i].z - atoms[j].z;
            double most =
                element_of(atoms[i].element).covalent + element_of(atoms[j].element).covalent + 0.45;
            if (dx * dx + dy * dy + dz * dz < most * most)
                brute.push_back({i, j});
        }
    std::sort(grid.begin(), grid.end());
    EXPECT_GT(brute.size(), 500u);
    EXPECT_EQ(grid, brute);
}
