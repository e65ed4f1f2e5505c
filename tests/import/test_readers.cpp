#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "importtest.h"
#include "import/readers.h"
#include "support/testutil.h"
#include "import/text.h"

using namespace importer;

namespace {

// Reads text as the given format and expects it refused.
problem refused(inputformat f, const std::string &text)
{
    inmolecule m;
    problem p;
    int ok = readtext(f, text, m, p);
    EXPECT_EQ(ok, 0) << text;
    return p;
}

inmolecule accepted(inputformat f, const std::string &text)
{
    inmolecule m;
    problem p;
    int ok = readtext(f, text, m, p);
    EXPECT_EQ(ok, 1) << p.what << ": " << p.detail << "\n" << text;
    return m;
}

void expectatom(const inatom &a, int element, double x, double y, double z, int line)
{
    EXPECT_EQ(a.element, element);
    EXPECT_EQ(a.x, x);
    EXPECT_EQ(a.y, y);
    EXPECT_EQ(a.z, z);
    EXPECT_EQ(a.line, line);
}

} // namespace

TEST(Format, BySuffixInAnyCase)
{
    EXPECT_EQ(formatof("a/water.xyz"), FORMAT_XYZ);
    EXPECT_EQ(formatof("WATER.XYZ"), FORMAT_XYZ);
    EXPECT_EQ(formatof("1abc.pdb"), FORMAT_PDB);
    EXPECT_EQ(formatof("pdb1abc.ent"), FORMAT_PDB);
    EXPECT_EQ(formatof("c.Mol"), FORMAT_MOL);
    EXPECT_EQ(formatof("c.SDF"), FORMAT_MOL);
    EXPECT_EQ(formatof("c.sd"), FORMAT_MOL);
    EXPECT_EQ(formatof("c.krx"), FORMAT_UNKNOWN);
    EXPECT_EQ(formatof("xyz"), FORMAT_UNKNOWN);
    EXPECT_EQ(formatof("dir.xyz/file"), FORMAT_UNKNOWN);
}

TEST(Fields, NumbersAreWholeFieldsOrNothing)
{
    double v = 7;
    EXPECT_EQ(toreal("-0.4692", v), 1);
    EXPECT_EQ(v, -0.4692);
    EXPECT_EQ(toreal("1.5E-02", v), 1);
    EXPECT_EQ(v, 0.015);
    EXPECT_EQ(toreal("-O.4692", v), 0);
    EXPECT_EQ(toreal("1.0x", v), 0);
    EXPECT_EQ(toreal("nan", v), 0);
    EXPECT_EQ(toreal("inf", v), 0);
    EXPECT_EQ(toreal("0x1p3", v), 0);
    EXPECT_EQ(toreal("1e999", v), 0);
    EXPECT_EQ(toreal("", v), 0);
    EXPECT_EQ(toreal("-", v), 0);
    // Plain decimals are read without strtod: every one as strtod reads it.
    for (const char *text : {"-0.0", "+.5", "5.", "123456789012345", "1234567890123456", "0.000000000000001",
                             "-1279.999999", "0.1", "9007199254740993", "1.2.3", "."}) {
        char *end = nullptr;
        double want = std::strtod(text, &end);
        bool whole = *end == '\0' && end != text;
        v = 7;
        EXPECT_EQ(toreal(text, v), whole ? 1 : 0) << text;
        if (whole) {
            EXPECT_EQ(v, want) << text;
            EXPECT_EQ(std::signbit(v), std::signbit(want)) << text;
        }
    }
    for (long i = 0; i < 20000; i++) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(i % 9),
                      (i * 7919 % 2000003 - 1000000) * 0.0013579);
        EXPECT_EQ(toreal(text, v), 1);
        EXPECT_EQ(v, std::strtod(text, nullptr)) << text;
    }
    long n = 0;
    EXPECT_EQ(toint("12", n), 1);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(toint("1.0", n), 0);
    EXPECT_EQ(toint("99999999999", n), 0);
    EXPECT_EQ(toint("", n), 0);
}

TEST(Fields, ElementSymbolsNumbersLabelsIsotopesAndDummies)
{
    struct {
        const char *field;
        int kind, z;
        char isotope;
    } cases[] = {
        {"C", symbolread::ELEMENT, 6, 0},     {"cl", symbolread::ELEMENT, 17, 0},
        {"CL", symbolread::ELEMENT, 17, 0},   {"Fe", symbolread::ELEMENT, 26, 0},
        {"C12", symbolread::ELEMENT, 6, 0},   {"8", symbolread::ELEMENT, 8, 0},
        {"118", symbolread::ELEMENT, 118, 0}, {"119", symbolread::NONE, 0, 0},
        {"0", symbolread::NONE, 0, 0},        {"C1a", symbolread::NONE, 0, 0},
        {"Qq", symbolread::NONE, 0, 0},       {"D", symbolread::ELEMENT, 1, 'D'},
        {"t", symbolread::ELEMENT, 1, 'T'},   {"D2", symbolread::ELEMENT, 1, 'D'},
        {"X", symbolread::DUMMY, 0, 0},       {"Xx", symbolread::DUMMY, 0, 0},
        {"*", symbolread::DUMMY, 0, 0},       {"R#", symbolread::DUMMY, 0, 0},
        {"R1", symbolread::DUMMY, 0, 0},      {"Du", symbolread::DUMMY, 0, 0},
        {"LP", symbolread::DUMMY, 0, 0},
    };
    for (const auto &c : cases) {
        symbolread r = elementfield(c.field);
        EXPECT_EQ(r.kind, c.kind) << c.field;
        EXPECT_EQ(r.z, c.z) << c.field;
        EXPECT_EQ(r.isotope, c.isotope) << c.field;
    }
}

TEST(Fields, MessagesShowFieldsShortAndPrintable)
{
    EXPECT_EQ(quoted("Xx"), "\"Xx\"");
    EXPECT_EQ(quoted("a\x1b[2Jb"), "\"a?[2Jb\"");
    EXPECT_EQ(quoted(std::string(30, 'Q')), "\"" + std::string(20, 'Q') + "...\"");
    problem p = refused(FORMAT_XYZ, "1\nc\n\x7f" + std::string(40, 'Z') + " 0 0 0\n");
    EXPECT_EQ(p.detail, "t:3: \"?" + std::string(19, 'Z') + "...\"");
}

TEST(Xyz, Water)
{
    inmolecule m = readsample(sample("water.xyz"));
    ASSERT_EQ(m.atoms.size(), 3u);
    expectatom(m.atoms[0], 8, 0, 0, 0.1173, 3);
    expectatom(m.atoms[1], 1, 0, 0.7572, -0.4692, 4);
    expectatom(m.atoms[2], 1, 0, -0.7572, -0.4692, 5);
    EXPECT_TRUE(m.bonds.empty());
    EXPECT_EQ(m.perceive, 1);
}

TEST(Xyz, FirstFrameAnyCaseExtraColumnsNumbersAndLabels)
{
    inmolecule m = accepted(FORMAT_XYZ,
                            "\n"
                            "  2  \n"
                            "\n"
                            "cl 1.5 -2 3e-1 0.25 extra\n"
                            "6\t0.0\t0.0\t0.0\n"
                            "2\n"
                            "frame 2\n"
                            "Cl 9 9 9\n"
                            "C 8 8 8\n");
    ASSERT_EQ(m.atoms.size(), 2u);
    // The second frame (of the same atoms: others are refused) is a frame.
    std::vector<double> frame2(6);
    ASSERT_EQ(m.framexyz->count(), 1u);
    ASSERT_TRUE(m.framexyz->read(0, frame2.data()));
    EXPECT_EQ(frame2, (std::vector<double>{9, 9, 9, 8, 8, 8}));
    expectatom(m.atoms[0], 17, 1.5, -2, 0.3, 4);
    expectatom(m.atoms[1], 6, 0, 0, 0, 5);
    m = accepted(FORMAT_XYZ, "1\nlabelled\nFE12 1 2 3\n");
    expectatom(m.atoms[0], 26, 1, 2, 3, 3);
}

TEST(Pdb, FirstModelFirstAltlocConectAndHetatm)
{
    inmolecule m = readsample(sample("fragment.pdb"));
    ASSERT_EQ(m.atoms.size(), 7u);
    expectatom(m.atoms[0], 7, 11.104, 6.134, -6.504, 5);
    expectatom(m.atoms[1], 1, 10.096, 6.134, -6.504, 6); // element from the name
    expectatom(m.atoms[2], 6, 11.639, 6.071, -5.147, 7);
    expectatom(m.atoms[3], 6, 13.147, 6.071, -5.147, 8);
    expectatom(m.atoms[4], 8, 13.766, 5.157, -5.686, 9); // altloc A, not B
    expectatom(m.atoms[5], 30, 15.8, 3.8, -7.0, 12);
    expectatom(m.atoms[6], 8, 17.9, 2.9, -8.1, 13);
    // CONECT 8 5 6 9 and 9 8: the bond to the dropped altloc B atom goes.
    std::vector<std::pair<int, int>> expected{{5, 4}, {5, 6}, {6, 5}};
    EXPECT_EQ(m.bonds, expected);
    EXPECT_EQ(m.perceive, 1);
}

TEST(Pdb, ElementFromTheAtomNameWhenColumns77To78AreBlank)
{
    const char *records[][2] = {
        {"ATOM      1  CA  ALA A   1       0.000   0.000   0.000", "C"},
        {"HETATM    1 CA    CA A   1       0.000   0.000   0.000", "Ca"},
        {"ATOM      1 HD21 ASN A   1       0.000   0.000   0.000", "H"},
        {"ATOM      1 1HB  ALA A   1       0.000   0.000   0.000", "H"},
        {"HETATM    1 FE   HEM A   1       0.000   0.000   0.000", "Fe"},
        {"HETATM    1 HO21 NAG A   1       0.000   0.000   0.000", "H"},
        {"HETATM    1 HG    HG A   1       0.000   0.000   0.000", "Hg"},
        {"ATOM      1  SG  CYS A   1       0.000   0.000   0.000", "S"},
        {"ATOM      1  HG  SER A   1       0.000   0.000   0.000", "H"},
    };
    const int numbers[] = {6, 20, 1, 1, 26, 1, 80, 16, 1};
    for (int i = 0; i < 9; i++) {
        inmolecule m = accepted(FORMAT_PDB, std::string(records[i][0]) + "\n");
        ASSERT_EQ(m.atoms.size(), 1u);
        EXPECT_EQ(m.atoms[0].element, numbers[i]) << records[i][1];
    }
}

TEST(Mol, BenzeneWithItsBondBlock)
{
    inmolecule m = readsample(sample("benzene.mol"));
    ASSERT_EQ(m.atoms.size(), 12u);
    expectatom(m.atoms[0], 6, 1.39, 0, 0, 5);
    expectatom(m.atoms[7], 1, 1.235, 2.1391, 0, 12);
    std::vector<std::pair<int, int>> expected{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5},  {5, 0},
                                              {0, 6}, {1, 7}, {2, 8}, {3, 9}, {4, 10}, {5, 11}};
    EXPECT_EQ(m.bonds, expected);
    EXPECT_EQ(m.perceive, 0);
}

TEST(Mol, SdfFirstRecordOnly)
{
    inmolecule m = readsample(sample("salt.sdf"));
    ASSERT_EQ(m.atoms.size(), 9u);
    EXPECT_EQ(m.atoms[8].element, 8);
    EXPECT_EQ(m.atoms[8].x, 1.8783);
    EXPECT_EQ(m.bonds.size(), 7u);
    EXPECT_EQ(m.perceive, 0);
}

TEST(Mol, NoBondBlockMeansBondsFromDistances)
{
    inmolecule m = accepted(FORMAT_MOL,
                            "co\n\n\n  2  0  0  0  0  0  0  0  0  0999 V2000\n"
                            "    0.0000    0.0000    0.0000 C   0  0\n"
                            "    1.1280    0.0000    0.0000 O   0  0\n"
                            "M  END\n");
    EXPECT_EQ(m.perceive, 1);
    m = accepted(FORMAT_MOL,
                 "ion\n\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                 "    0.0000    0.0000    0.0000 Na  0  0\n");
    EXPECT_EQ(m.perceive, 0);
}

TEST(Mol, BlankSeparatedLinesOfLaxWriters)
{
    inmolecule m = accepted(FORMAT_MOL,
                            "lax\n\n\n2 1\n"
                            "0.0 0.0 0.0 C\n"
                            "1.43 0.0 0.0 O\n"
                            "1 2 1\n");
    ASSERT_EQ(m.atoms.size(), 2u);
    expectatom(m.atoms[1], 8, 1.43, 0, 0, 6);
    EXPECT_EQ(m.bonds, (std::vector<std::pair<int, int>>{{0, 1}}));
}

TEST(Mol, V3000WithContinuationLines)
{
    inmolecule m = readsample(sample("methanol.mol"));
    ASSERT_EQ(m.atoms.size(), 6u);
    expectatom(m.atoms[0], 6, 0, 0, 0, 8);
    expectatom(m.atoms[1], 8, 1.42, 0, 0, 9);
    expectatom(m.atoms[4], 1, -0.36, -0.515, -0.892, 12);
    expectatom(m.atoms[5], 1, 1.74, 0.9, 0, 14);
    std::vector<std::pair<int, int>> expected{{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 5}};
    EXPECT_EQ(m.bonds, expected);
    EXPECT_EQ(m.perceive, 0);
}

struct refusal {
    inputformat format;
    std::string text;
    const char *what;   // null: as the row before
    const char *detail; // null: not checked
};

// What each reader refuses, and the line it names ("t" is the name the
// text is read under). The samples are read from files, by their path.
TEST(Readers, MalformedTextsNameTheLine)
{
    const char *sdf3000 = "a\n\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n";
    const std::vector<refusal> rows = {
        {FORMAT_XYZ, "three\ncomment\n", "malformed line", "t:1: the first line must give the atom count"},
        {FORMAT_XYZ, "3\ncomment\nO 0 0 0\nH 1 0 0\n", nullptr,
         "t:5: the file ends after 2 of the 3 atoms its first line announces"},
        {FORMAT_XYZ, "1\n", nullptr, "t:2: the file ends before the comment line"},
        {FORMAT_XYZ, "2\nc\nO 0 0 0\nH 1 0\n", nullptr, "t:4: expected \"Element x y z\""},
        {FORMAT_XYZ, "1\nc\nQq 0 0 0\n", "unknown element", "t:3: \"Qq\""},
        {FORMAT_XYZ, "1\nc\nO 0 0 2e9\n", "coordinate out of range", "t:3"},
        {FORMAT_XYZ, "0\nc\n", "no atoms", nullptr},
        {FORMAT_XYZ, "", "no atoms", nullptr},
        {FORMAT_PDB, "REMARK\nATOM      1  CA  ALA A   1       0.000   0.000\n", "malformed line",
         "t:2: the record ends before its coordinates (columns 31-54)"},
        {FORMAT_PDB, "ATOM      1 ZZ   ALA A   1       0.000   0.000   0.000  1.00  0.00          QQ\n",
         "unknown element", "t:1: no element in columns 77-78 or in the atom name \"ZZ  \""},
        {FORMAT_PDB, "HEADER\nEND\nATOM      1  CA  ALA A   1       0.000   0.000   0.000\n", "no atoms",
         nullptr},
        {FORMAT_MOL, "a\nb\n", "malformed line", "t:3: the file ends before the counts line (line 4)"},
        {FORMAT_MOL, "a\n\n\ncounts\n", nullptr, "t:4: the counts line must give the atom and bond counts"},
        {FORMAT_MOL, "a\n\n\n  2  0\n    0.0000    0.0000    0.0000 C   0\n", nullptr,
         "t:6: the file ends after 1 of the 2 atoms the counts line announces"},
        {FORMAT_MOL, "a\n\n\n  1  0\n    0.0000    0.0000    0.0000 Qq  0\n", "unknown element",
         "t:5: \"Qq\" is no element symbol"},
        {FORMAT_MOL, "a\n\n\n  1  0\n    0.0000    zero    0.0000 C   0\n", "malformed line",
         "t:5: expected an atom line \"x y z symbol ...\""},
        {FORMAT_MOL,
         "a\n\n\n  2  1\n    0.0000    0.0000    0.0000 C   0\n    1.0000    0.0000    0.0000 C   0\n  1  1  "
         "1\n",
         nullptr, "t:7: a bond must join two different atoms numbered 1 to 2"},
        {FORMAT_MOL,
         std::string(sdf3000) + "M  V30 COUNTS 2 0 0 0 0\nM  V30 BEGIN ATOM\nM  V30 1 C 0 0 0 0\nM  V30 END "
                                "ATOM\nM  V30 END CTAB\nM  END\n",
         "malformed file", "t: COUNTS announces 2 atoms and 0 bonds, the blocks hold 1 and 0"},
        {FORMAT_MOL, std::string(sdf3000) + "M  V30 COUNTS 1 0 0 0 0\nM  V30 BEGIN ATOM\nM  V30 1 C 0 0 -\n",
         "malformed line", "t:9: a continued \"M  V30\" line must follow"},
    };
    std::string what;
    for (const refusal &r : rows) {
        problem p = refused(r.format, r.text);
        what = r.what ? r.what : what;
        EXPECT_EQ(p.what, what) << r.text;
        if (r.detail) {
            EXPECT_EQ(p.detail, r.detail) << r.text;
        }
    }
    const std::pair<const char *, const char *> samples[] = {
        {"malformed.xyz", ":4: expected \"Element x y z\""},
        {"malformed.pdb", ":3: coordinates must be numbers in columns 31-54"},
        {"malformed.mol", ":7: a bond must join two different atoms numbered 1 to 2"},
    };
    for (const auto &s : samples) {
        problem p;
        inmolecule m;
        std::string path = sample(s.first);
        EXPECT_EQ(readinput(path, m, p), 0);
        EXPECT_EQ(p.what, "malformed line");
        EXPECT_EQ(p.detail, path + s.second);
    }
}

// Where a MOL2 atom stands: its substructure's name cut into residue name
// and number (the substructure id where the name holds no number), the
// file's atom name; no label without a substructure or for "****".
TEST(Mol2, SubstructureLabels)
{
    struct row {
        std::string columns; // after the atom type
        std::string residue;
        long number;
        std::string atom;
    } rows[] = {
        {"7 PHE53 0.0", "PHE", 53, "CG"},
        {"7 LIG 0.0", "LIG", 7, "CG"},
        {"7 12", "", 12, "CG"},
        {"7 ****", "", 0, ""},
        {"7", "", 0, ""},
        {"", "", 0, ""},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.columns);
        importer::inmolecule m;
        problem p;
        ASSERT_EQ(readtext(importer::FORMAT_MOL2,
                           "@<TRIPOS>MOLECULE\nm\n1 0\n@<TRIPOS>ATOM\n1 CG 0 0 0 C.ar " + r.columns + "\n", m,
                           p),
                  1)
            << p.detail;
        ASSERT_EQ(m.sites.size(), 1u);
        EXPECT_EQ(m.sites[0].residue, r.residue);
        EXPECT_EQ(m.sites[0].number, r.number);
        EXPECT_EQ(m.sites[0].atom, r.atom);
        EXPECT_EQ(m.sites[0].chain, "");
    }
}
