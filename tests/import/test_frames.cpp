// Files of several frames of the same atoms: every frame taken (or those
// --frames picks), written as frame annotations that the description reader
// takes back; frames whose atoms differ, truncated frames and frames out of
// range refused with the file, the frame and the line, nothing written.
#include <gtest/gtest.h>

#include <sstream>

#include "model/frames.h"
#include "model/model.h"
#include "model/names.h"
#include "run.h"
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
                      framecase{"late.pdb", waterpdb(3), {"--frames", "2:3"}, 2, 0.5}));

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
    ::testing::Values(refusal{"count.xyz",
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
                      refusal{"range.xyz",
                              waterxyz(2),
                              {"--frames", "1:3"},
                              "/range.xyz has 2 frames, not 3 (--frames 1:3)"},
                      refusal{"count.pdb",
                              waterpdb(1).substr(0, waterpdb(1).size() - 4) +
                                  "MODEL        2\nATOM      1  O   HOH A   1       0.000   0.000   0.000  "
                                  "1.00  0.00           O\nENDMDL\nEND\n",
                              {},
                              ":8: frame 2 (from line 6) has 1 atoms where frame 1 has 3"}));

} // namespace
