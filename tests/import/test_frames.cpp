// Files of several frames of the same atoms: every frame taken (or those
// --frames picks), written as frame annotations that the description reader
// takes back; frames whose atoms differ, truncated frames and frames out of
// range refused with the file, the frame and the line, nothing written.
#include <gtest/gtest.h>

#include <sstream>

#include "model/frames.h"
#include "model/model.h"
#include "model/names.h"
#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

// Three frames of water moving along x by 0.5 each.
std::string waterxyz(int frames, const std::string &comment = "water")
{
    std::string t;
    for (int k = 0; k < frames; k++) {
        std::string x = std::to_string(0.5 * k);
        t += "3\n" + comment + "\nO " + x + " 0 0\nH " + x + " 0.757 0.586\nH " + x + " -0.757 0.586\n";
    }
    return t;
}

std::string waterpdb(int models)
{
    std::string t;
    for (int k = 0; k < models; k++) {
        char b[400];
        std::snprintf(b, sizeof b,
                      "MODEL     %4d\n"
                      "ATOM      1  O   HOH A   1    %8.3f   0.000   0.000  1.00  0.00           O\n"
                      "ATOM      2  H1  HOH A   1    %8.3f   0.757   0.586  1.00  0.00           H\n"
                      "ATOM      3  H2  HOH A   1    %8.3f  -0.757   0.586  1.00  0.00           H\n"
                      "ENDMDL\n",
                      k + 1, 0.5 * k, 0.5 * k, 0.5 * k);
        t += b;
    }
    return t + "END\n";
}

// The same water as SD records (conformers when the bonds agree) or MOL2
// molecules; bonded: whether the second hydrogen is bonded to the first
// hydrogen instead of the oxygen, in the record k.
std::string watersdf(int records, int otherbonds = 0)
{
    std::string t;
    for (int k = 0; k < records; k++) {
        char b[800];
        std::snprintf(b, sizeof b,
                      "water\n  test\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n"
                      "%10.4f    0.0000    0.0000 O   0  0\n%10.4f    0.7570    0.5860 H   0  0\n"
                      "%10.4f   -0.7570    0.5860 H   0  0\n  1  2  1  0\n%s  3  1  0\nM  END\n$$$$\n",
                      0.5 * k, 0.5 * k, 0.5 * k, k + 1 == otherbonds ? "  2" : "  1");
        t += b;
    }
    return t;
}

std::string watermol2(int molecules)
{
    std::string t;
    for (int k = 0; k < molecules; k++) {
        char b[800];
        std::snprintf(b, sizeof b,
                      "@<TRIPOS>MOLECULE\nwater\n3 2\nSMALL\nNO_CHARGES\n\n@<TRIPOS>ATOM\n"
                      "1 O %.4f 0 0 O.3\n2 H1 %.4f 0.757 0.586 H\n3 H2 %.4f -0.757 0.586 H\n"
                      "@<TRIPOS>BOND\n1 1 2 1\n2 1 3 1\n",
                      0.5 * k, 0.5 * k, 0.5 * k);
        t += b;
    }
    return t;
}

std::string watercif(int models, int short_model = 0)
{
    std::string t =
        "data_w\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n"
        "_atom_site.label_atom_id\n_atom_site.label_alt_id\n_atom_site.label_comp_id\n"
        "_atom_site.label_asym_id\n_atom_site.label_entity_id\n_atom_site.label_seq_id\n"
        "_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n"
        "_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n_atom_site.auth_asym_id\n"
        "_atom_site.pdbx_PDB_model_num\n";
    int id = 1;
    for (int k = 0; k < models; k++) {
        const char *names[] = {"O", "H1", "H2"}, *elements[] = {"O", "H", "H"};
        const double y[] = {0, 0.757, -0.757}, z[] = {0, 0.586, 0.586};
        for (int i = 0; i < (k + 1 == short_model ? 2 : 3); i++) {
            char b[200];
            std::snprintf(b, sizeof b, "HETATM %d %s %s . HOH A 1 . %.3f %.3f %.3f 1 0 1 A %d\n", id++,
                          elements[i], names[i], 0.5 * k, y[i], z[i], k + 1);
            t += b;
        }
    }
    return t;
}

struct run {
    int status;
    std::string out, err, krx;
};

run importof(const std::string &name, const std::string &text, std::vector<std::string> extra = {})
{
    std::string in = tempfolder() + "/" + name, out = tempfolder() + "/out.krx";
    writefile(in, text);
    std::remove(out.c_str());
    std::vector<std::string> args{"-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(in);
    std::ostringstream o, e;
    run r;
    r.status = runimport(args, "9.9.9", o, e);
    r.out = o.str();
    r.err = e.str();
    FILE *f = std::fopen(out.c_str(), "rb");
    if (f) {
        std::fclose(f);
        r.krx = readfile(out);
    }
    return r;
}

struct framecase {
    const char *name;
    std::string text;
    std::vector<std::string> options;
    int frames;    // in the description
    double firstx; // the oxygen's x in frame 1
};

class frames : public ::testing::TestWithParam<framecase> {};

TEST_P(frames, EveryFrameTakenComesBackFromTheDescription)
{
    const framecase &c = GetParam();
    run r = importof(c.name, c.text, c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(readtext(r.krx), 1);
    EXPECT_EQ(framecount(), c.frames) << r.krx;
    int o = atomindex("O1");
    ASSERT_GE(o, 0);
    EXPECT_EQ(atoms[o].p.x, c.firstx);
    for (int k = 1; k < framecount(); k++) {
        const float *p = framepositions(k);
        EXPECT_NEAR(p[3 * o], c.firstx + 0.5 * k * (c.options.size() == 2 && c.options[1] == "1:5:2" ? 2 : 1),
                    1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    importer, frames,
    ::testing::Values(framecase{"w.xyz", waterxyz(3), {}, 3, 0},
                      framecase{
                          "e.xyz",
                          waterxyz(2, "Lattice=\"10 0 0 0 10 0 0 0 10\" Properties=species:S:1:pos:R:3"),
                          {},
                          2,
                          0},
                      framecase{"odd.xyz", waterxyz(5), {"--frames", "1:5:2"}, 3, 0},
                      framecase{"late.xyz", waterxyz(4), {"--frames", "2:3"}, 2, 0.5},
                      framecase{"one.xyz", waterxyz(4), {"--model", "2"}, 1, 0.5},
                      framecase{"w.pdb", waterpdb(3), {}, 3, 0},
                      framecase{"late.pdb", waterpdb(3), {"--frames", "2:3"}, 2, 0.5},
                      framecase{"w.sdf", watersdf(3), {}, 3, 0},
                      framecase{"late.sdf", watersdf(4), {"--frames", "2:3"}, 2, 0.5},
                      framecase{"one.sdf", watersdf(3), {"--model", "2"}, 1, 0.5},
                      framecase{"w.mol2", watermol2(3), {}, 3, 0},
                      framecase{"odd.mol2", watermol2(5), {"--frames", "1:5:2"}, 3, 0},
                      framecase{"w.cif", watercif(3), {}, 3, 0},
                      framecase{"late.cif", watercif(3), {"--frames", "2:3"}, 2, 0.5}));

// A file of records that are different molecules is a library, not a
// conformer set: the first record alone, with a warning of how many were
// left out.
TEST(frames, ALibraryOfMoleculesGivesItsFirstWithAWarning)
{
    for (const auto &[name, text] :
         {std::make_pair("lib.sdf", watersdf(3, 2)),
          std::make_pair("lib.mol2", watermol2(1) +
                                         "@<TRIPOS>MOLECULE\nco\n2 1\n"
                                         "SMALL\n\n@<TRIPOS>ATOM\n1 C 0 0 0 C\n"
                                         "2 O 0 0 1.2 O\n@<TRIPOS>BOND\n1 1 2 2\n" +
                                         watermol2(1))}) {
        SCOPED_TRACE(name);
        run r = importof(name, text);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.krx.find("//@ frame"), std::string::npos);
        EXPECT_NE(r.err.find("the first is read, 2 further"), std::string::npos) << r.err;
    }
}

TEST(frames, AFileOfOneFrameWritesNoFrameAnnotation)
{
    run r = importof("single.xyz", waterxyz(1));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.krx.find("//@ frame"), std::string::npos);
    EXPECT_EQ(r.krx.find("frames"), std::string::npos);
}

struct refusal {
    const char *name;
    std::string text;
    std::vector<std::string> options;
    std::string message;
};

class refused : public ::testing::TestWithParam<refusal> {};

TEST_P(refused, NamesTheFileTheFrameAndTheLineAndWritesNothing)
{
    const refusal &c = GetParam();
    run r = importof(c.name, c.text, c.options);
    EXPECT_EQ(r.status, EXIT_FAILED);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.krx, "");
}

INSTANTIATE_TEST_SUITE_P(
    importer, refused,
    ::testing::Values(
        refusal{"count.xyz",
                waterxyz(1) + "2\nx\nO 0 0 0\nH 0 1 0\n",
                {},
                "/count.xyz:9: frame 2 (from line 6) has 2 atoms where frame 1 has 3"},
        refusal{"order.xyz",
                waterxyz(1) + "3\nx\nH 0 1 0\nO 0 0 0\nH 0 -1 0\n",
                {},
                "/order.xyz:8: its atom 1 is H where frame 1 has O (frame 2)"},
        refusal{"cut.xyz",
                waterxyz(1) + "3\nx\nO 0 0 0\n",
                {},
                ":9: the file ends after 1 of the 3 atoms its first line announces (frame 2)"},
        refusal{
            "range.xyz", waterxyz(2), {"--frames", "1:3"}, "/range.xyz has 2 frames, not 3 (--frames 1:3)"},
        refusal{"count.pdb",
                waterpdb(1).substr(0, waterpdb(1).size() - 4) +
                    "MODEL        2\nATOM      1  O   HOH A   1       0.000   0.000   0.000  "
                    "1.00  0.00           O\nENDMDL\nEND\n",
                {},
                ":8: frame 2 (from line 6) has 1 atoms where frame 1 has 3"},
        refusal{"bonds.sdf", watersdf(3, 3), {}, "/bonds.sdf:23: frame 3 has other bonds than frame 1"},
        refusal{"count.cif", watercif(2, 2), {}, "/count.cif: frame 2 has 2 atoms where frame 1 has 3"}));

} // namespace
