// Whole descriptions written for the samples, checked by hand against the
// sample files: the tree (order and marks), the ring-bond and part
// comments, the element lines (Jmol colours as blue green red, radius 0.5
// times the covalent radius) and the atom names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "importtest.h"
#include "import/krx.h"
#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

// The description kestrix-import writes for a sample, with extra options.
std::string imported(const std::string &name, std::vector<std::string> extra = {})
{
    std::string out = tempfolder() + "/out.krx";
    std::vector<std::string> args{"-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(sample(name));
    std::ostringstream o, e;
    EXPECT_EQ(runimport(args, "9.9.9", o, e), 0) << e.str();
    return readfile(out);
}

} // namespace

TEST(Krx, Water)
{
    EXPECT_EQ(imported("water.xyz"),
              "// water.xyz: 3 atoms, 2 bonds; written by kestrix-import 9.9.9\n"
              "name water\n"
              "readxyz\n"
              "bondradius 0.08\n"
              "// element NAME blue green red radius\n"
              "element O 13 13 255 0.33\n"
              "element H 255 255 255 0.155\n"
              "atom O1 O 0.000000 0.000000 0.117300\n"
              "{ atom H1 H 0.000000 0.757200 -0.469200 }\n"
              "atom H2 H 0.000000 -0.757200 -0.469200\n");
}

TEST(Krx, BenzeneListsItsRingBond)
{
    EXPECT_EQ(imported("benzene.mol"),
              "// benzene.mol: 12 atoms, 12 bonds; written by kestrix-import 9.9.9\n"
              "// 1 bond closes a ring (only the glTF figure draws it): C4-C5\n"
              "name benzene\n"
              "readxyz\n"
              "bondradius 0.08\n"
              "// element NAME blue green red radius\n"
              "element C 144 144 144 0.38\n"
              "element H 255 255 255 0.155\n"
              "atom C1 C 1.390000 0.000000 0.000000\n"
              "{ atom C6 C 0.695000 -1.203800 0.000000\n"
              "{ atom H6 H 1.235000 -2.139100 0.000000 }\n"
              "atom C5 C -0.695000 -1.203800 0.000000\n"
              "atom H5 H -1.235000 -2.139100 0.000000 }\n"
              "{ atom H1 H 2.470000 0.000000 0.000000 }\n"
              "atom C2 C 0.695000 1.203800 0.000000\n"
              "{ atom H2 H 1.235000 2.139100 0.000000 }\n"
              "atom C3 C -0.695000 1.203800 0.000000\n"
              "{ atom H3 H -1.235000 2.139100 0.000000 }\n"
              "atom C4 C -1.390000 0.000000 0.000000\n"
              "atom H4 H -2.470000 0.000000 0.000000\n"
              "// the bonds the atom tree does not show:\n"
              "//@ bond C4 C5\n"
              "// the bonds that are not single (2 double, 3 triple, ar aromatic):\n"
              "//@ order C1 C2 2\n"
              "//@ order C3 C4 2\n"
              "//@ order C5 C6 2\n");
}

TEST(Krx, PdbFragment)
{
    EXPECT_EQ(
        imported("fragment.pdb"),
        "// fragment.pdb: 7 atoms, 6 bonds; written by kestrix-import 9.9.9\n"
        "name fragment\n"
        "readxyz\n"
        "bondradius 0.08\n"
        "// element NAME blue green red radius\n"
        "element N 248 80 48 0.355\n"
        "element H 255 255 255 0.155\n"
        "element C 144 144 144 0.38\n"
        "element O 13 13 255 0.33\n"
        "element Zn 176 128 125 0.61\n"
        "atom C2 C 13.147000 6.071000 -5.147000\n"
        "{ atom C1 C 11.639000 6.071000 -5.147000\n"
        "atom N1 N 11.104000 6.134000 -6.504000\n"
        "atom H1 H 10.096000 6.134000 -6.504000 }\n"
        "atom O1 O 13.766000 5.157000 -5.686000\n"
        "atom Zn1 Zn 15.800000 3.800000 -7.000000\n"
        "atom O2 O 17.900000 2.900000 -8.100000\n"
        // Each atom's residue, number, chain and name in the file.
        "// where each atom stands in the file (residue, number, chain, atom; - blank):\n"
        "//@ residue C2 GLY 1 A C\n"
        "//@ residue C1 GLY 1 A CA\n"
        "//@ residue N1 GLY 1 A N\n"
        "//@ residue H1 GLY 1 A H\n"
        "//@ residue O1 GLY 1 A O\n"
        "//@ residue Zn1 ZN 101 A ZN\n"
        "//@ residue O2 HOH 201 A O\n"
        // Its second model, of the same atoms, is a frame.
        "// 1 further frames of the same atoms (frame 1 is the atoms above):\n"
        "//@ frame 2\n"
        "//@ xyz C2 13.247000 6.171000 -5.247000 11.739000 6.171000 -5.247000 11.204000 6.234000 -6.604000 "
        "10.196000 6.234000 -6.604000 13.866000 5.257000 -5.786000 15.900000 3.900000 -7.100000 18.000000 "
        "3.000000 -8.200000\n");
}

TEST(Krx, TwoPartSalt)
{
    EXPECT_EQ(imported("salt.sdf"),
              "// salt.sdf: 9 atoms, 7 bonds; written by kestrix-import 9.9.9\n"
              "// 2 parts that no bond joins; hung from N1 by a link that is no bond: O3\n"
              "name salt\n"
              "readxyz\n"
              "bondradius 0.08\n"
              "// element NAME blue green red radius\n"
              "element N 248 80 48 0.355\n"
              "element H 255 255 255 0.155\n"
              "element O 13 13 255 0.33\n"
              "atom N1 N 0.000000 0.000000 0.000000\n"
              "{ atom H1 H 0.594700 0.594700 0.594700 }\n"
              "{ atom H2 H 0.594700 -0.594700 -0.594700 }\n"
              "{ atom H3 H -0.594700 0.594700 -0.594700 }\n"
              "{ atom H4 H -0.594700 -0.594700 0.594700 }\n"
              "atom O3 O 1.878300 1.878300 1.878300\n"
              "atom N2 N 2.600000 2.600000 2.600000\n"
              "{ atom O1 O 3.726300 2.195400 2.960800 }\n"
              "atom O2 O 2.195400 3.726300 2.960800\n"
              "// the bonds the atom tree does not show:\n"
              "//@ nobond O3\n"
              "// the bonds that are not single (2 double, 3 triple, ar aromatic):\n"
              "//@ order N2 O1 2\n");
}

TEST(Krx, MethanolV3000WithOptions)
{
    EXPECT_EQ(imported("methanol.mol", {"--ball-scale", "1", "--bondradius", "0", "--root", "o1"}),
              "// methanol.mol: 6 atoms, 5 bonds; written by kestrix-import 9.9.9\n"
              "name methanol\n"
              "readxyz\n"
              "bondradius 0\n"
              "// element NAME blue green red radius\n"
              "element C 144 144 144 0.76\n"
              "element O 13 13 255 0.66\n"
              "element H 255 255 255 0.31\n"
              "atom O1 O 1.420000 0.000000 0.000000\n"
              "{ atom H4 H 1.740000 0.900000 0.000000 }\n"
              "atom C1 C 0.000000 0.000000 0.000000\n"
              "{ atom H1 H -0.360000 1.030000 0.000000 }\n"
              "{ atom H2 H -0.360000 -0.515000 0.892000 }\n"
              "atom H3 H -0.360000 -0.515000 -0.892000\n");
}

TEST(Krx, NoHydrogens)
{
    EXPECT_EQ(imported("benzene.mol", {"--no-hydrogens", "--ball-scale=0.25", "--bondradius=0.1"}),
              "// benzene.mol: 6 atoms, 6 bonds; written by kestrix-import 9.9.9\n"
              "// 1 bond closes a ring (only the glTF figure draws it): C4-C5\n"
              "name benzene\n"
              "readxyz\n"
              "bondradius 0.1\n"
              "// element NAME blue green red radius\n"
              "element C 144 144 144 0.19\n"
              "atom C1 C 1.390000 0.000000 0.000000\n"
              "{ atom C6 C 0.695000 -1.203800 0.000000\n"
              "atom C5 C -0.695000 -1.203800 0.000000 }\n"
              "atom C2 C 0.695000 1.203800 0.000000\n"
              "atom C3 C -0.695000 1.203800 0.000000\n"
              "atom C4 C -1.390000 0.000000 0.000000\n"
              "// the bonds the atom tree does not show:\n"
              "//@ bond C4 C5\n"
              "// the bonds that are not single (2 double, 3 triple, ar aromatic):\n"
              "//@ order C1 C2 2\n"
              "//@ order C3 C4 2\n"
              "//@ order C5 C6 2\n");
}

TEST(Krx, CoordinatesKeepEveryDigitGiven)
{
    EXPECT_EQ(coordinate(0), "0.000000");
    EXPECT_EQ(coordinate(-0.0), "0.000000");
    EXPECT_EQ(coordinate(-1.5), "-1.500000");
    EXPECT_EQ(coordinate(1.23456789), "1.23456789");
    EXPECT_EQ(coordinate(-9999.999), "-9999.999000");
    EXPECT_EQ(coordinate(0.1234567890123), "0.123456789012");
    EXPECT_EQ(coordinate(999999999.5), "999999999.500000");
}

// What the printer must write: "%.6f", or more decimals until the text
// reads back as the value (the printer's own way to it is quicker).
std::string byprintf(double v)
{
    if (v == 0)
        v = 0;
    char buf[64];
    for (int decimals = 6; decimals <= 12; decimals++) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    return buf;
}

TEST(Krx, CoordinatesAsPrintfPrintsThem)
{
    // Ties of the sixth decimal (1/128, 3/64), values next to them, a
    // rounding up into a new digit, the largest and smallest of the quick
    // way, and numbers read from six-decimal text as a file gives them.
    std::vector<double> values = {1.0 / 128,
                                  3.0 / 64,
                                  0.0078125 + 1e-17,
                                  0.0078125 - 1e-17,
                                  9.9999999,
                                  999999.999,
                                  1e6,
                                  -1e6 + 0.5,
                                  1e-7,
                                  -1e-7,
                                  5e-7,
                                  123.4567895};
    for (long i = 0; i < 20000; i++) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", (i * 7919 % 2000003 - 1000000) * 0.0013579);
        values.push_back(std::strtod(text, nullptr));
        values.push_back(static_cast<float>(i * 0.0137 - 91.3)); // a frame's 32-bit number
    }
    for (double v : values)
        EXPECT_EQ(coordinate(v), byprintf(v)) << v;
}

TEST(Krx, FigureNameFromTheFileName)
{
    EXPECT_EQ(figurename("dir/caffeine.sdf"), "caffeine");
    EXPECT_EQ(figurename("C:\\data\\1abc-model 2.pdb"), "1abcmodel2");
    EXPECT_EQ(figurename("my_mol.v2.xyz"), "my_molv2");
    EXPECT_EQ(figurename("---.xyz"), "molecule");
    EXPECT_EQ(figurename("\xC3\xA9thanol.mol"), "thanol");
    EXPECT_EQ(figurename(std::string(100, 'a') + ".xyz"), std::string(63, 'a'));
}

TEST(Krx, AtomNamesRunPerElementInFileOrder)
{
    inmolecule m;
    for (int z : {6, 1, 1, 8, 6, 1, 17})
        m.atoms.push_back({z, 0, 0, 0, 0});
    EXPECT_EQ(atomnames(m), (std::vector<std::string>{"C1", "H1", "H2", "O1", "C2", "H3", "Cl1"}));
}

TEST(Krx, LongCommentsAreCutIntoLinesTheReaderTakes)
{
    // 200 carbons, each bonded to the next three: 395 ring bonds to list.
    inmolecule m;
    m.perceive = 0;
    for (int i = 0; i < 200; i++)
        m.atoms.push_back({6, (double)i, 0, 0, 0});
    for (int i = 0; i < 200; i++)
        for (int j = i + 1; j < 200 && j < i + 4; j++)
            m.bonds.push_back({i, j});
    std::vector<std::pair<int, int>> bonds = m.bonds;
    atomtree t;
    buildtree(m, bonds, -1, t);
    ASSERT_EQ(t.ringbonds.size(), 395u);
    krxsettings s;
    s.name = "x";
    s.source = "x.xyz";
    s.tool = "kestrix-import 9.9.9";
    std::string text;
    problem p;
    ASSERT_EQ(writekrx(m, bonds, t, s, text, p), 1);
    std::istringstream in(text);
    std::string line;
    size_t listed = 0;
    while (std::getline(in, line)) {
        EXPECT_LE(line.size(), 254u);
        if (line.compare(0, 2, "//") == 0 && line.find("kestrix-import") == std::string::npos)
            listed += (size_t)std::count(line.begin(), line.end(), '-');
    }
    EXPECT_EQ(listed, t.ringbonds.size());
}
