#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "geometry/XYZ.h"
#include "angles/findangles.h"
#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

std::string g(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// theta phi bondl of atom i, as the figure file prints them.
std::string angles(int i) { return g(atoms[i].theta) + " " + g(atoms[i].phi) + " " + g(atoms[i].bondl); }

class Angles : public ::testing::Test {
protected:
    void SetUp() override { scripted::clear(); }

    // Reads a coordinate-mode description, runs the pass and checks that every
    // position came back bit for bit.
    void run(const std::string &atomlines)
    {
        ASSERT_EQ(readtext("readxyz\nelement X 1 1 1 1\n" + atomlines), 1);
        xyz before[MAXATOMS];
        for (int i = 0; i < natoms; i++)
            before[i] = atoms[i].p;
        ASSERT_EQ(findangles(0), 1);
        for (int i = 0; i < natoms; i++) {
            EXPECT_EQ(std::memcmp(&before[i], &atoms[i].p, sizeof(xyz)), 0) << "atom " << i;
        }
    }
};

// Fills the atom table with a tree of n atoms of the given shape (0: a
// chain, 1: a root with n - 1 children, 2: each atom a child of an earlier
// one picked at random) at positions on a grid of 1/1000, some of them shared
// with the parent or zero of either sign; returns a hash of every angle's and
// length's bits after the pass.
unsigned long long pinnedtree(int shape, int n, unsigned long long seed)
{
    unsigned long long state = seed;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<long>(state >> 33);
    };
    natoms = n;
    for (int i = 0; i < n; i++) {
        atom &a = atoms[i];
        a.parent = i == 0       ? nullptr
                   : shape == 0 ? &atoms[i - 1]
                   : shape == 1 ? &atoms[0]
                                : &atoms[next() % i];
        double c[3];
        for (double &v : c) {
            long k = next() % 16;
            v = k == 0 ? 0.0 : k == 1 ? -0.0 : static_cast<double>(next() % 20001 - 10000) / 1000;
        }
        a.p = xyz(c[0], c[1], c[2]);
        if (a.parent && next() % 16 == 0)
            a.p = a.parent->p;
        a.theta = a.phi = a.bondl = -1;
    }
    findangles(0);
    unsigned long long h = 14695981039346656037ULL;
    for (int i = 0; i < n; i++) {
        double v[3] = {atoms[i].theta, atoms[i].phi, atoms[i].bondl};
        unsigned char b[sizeof v];
        std::memcpy(b, v, sizeof v);
        for (unsigned char x : b)
            h = (h ^ x) * 1099511628211ULL;
    }
    return h;
}

} // namespace

TEST(Vector, Turns)
{
    double halfpi = std::atan(1.0) * 2;
    xyz z(0, 0, 1), y(0, 1, 0);
    xyz a = z.byphi(halfpi);
    EXPECT_EQ(a.x, 1.0);
    EXPECT_EQ(a.y, 0.0);
    EXPECT_EQ(g(a.z), "6.12323e-17"); // nothing snaps the residue
    xyz b = y.bytheta(halfpi);
    EXPECT_EQ(b.x, 0.0);
    EXPECT_EQ(g(b.y), "6.12323e-17");
    EXPECT_EQ(b.z, 1.0);
    xyz v(1.5, -2.5, 3.25);
    xyz c = v.byphi(-0.0), d = v.bytheta(0.0);
    EXPECT_EQ(std::memcmp(&c, &v, sizeof v), 0);
    EXPECT_EQ(std::memcmp(&d, &v, sizeof v), 0);
    EXPECT_EQ(v.byphi(0.7).y, v.y);
    EXPECT_EQ(v.bytheta(0.7).x, v.x);
    xyz zero;
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_FALSE(std::signbit(zero.x) || std::signbit(zero.y) || std::signbit(zero.z));
}

TEST_F(Angles, OneChildTable)
{
    struct row {
        const char *child, *expected;
    } rows[] = {
        {"0 1 0", "0 0 1"},         {"1 0 0", "90 90 1"},
        {"0 0 1", "90 0 1"},        {"0 -1 0", "180 0 1"},
        {"-1 0 0", "90 -90 1"},     {"0 0 -1", "90 180 1"},
        {"1 1 0", "45 90 1.41421"}, {"1 1 1", "54.7356 45 1.73205"},
        {"3 4 0", "36.8699 90 5"},  {"0 0 0", "0 0 0"},
    };
    for (const row &r : rows) {
        run(std::string("atom R X 0 0 0\natom C X ") + r.child + "\n");
        EXPECT_EQ(angles(1), r.expected) << r.child;
        EXPECT_EQ(angles(0), "0 0 0");
    }
}

TEST_F(Angles, FramesFollowTheTree)
{
    run("atom R X 1 2 3\natom C X 1 3 3\n");
    EXPECT_EQ(angles(1), "0 0 1");

    run("atom R X 0 0 0\natom A X 1 0 0\natom B X 1 1 0\n");
    EXPECT_EQ(angles(1), "90 90 1");
    EXPECT_EQ(angles(2), "90 180 1"); // in A's frame B lies along -Z

    run("atom R X 0 0 0\natom A X 0 1 0\n{ atom B1 X 1 1 0 }\natom B2 X 0 2 0\n");
    EXPECT_EQ(angles(1), "0 0 1");
    EXPECT_EQ(angles(2), "90 90 1");
    EXPECT_EQ(angles(3), "0 0 1");

    run("atom O X 0 0 0\n{ atom H1 X 0.757 0.586 0 }\natom H2 X -0.757 0.586 0\n");
    EXPECT_EQ(angles(1), "52.2562 90 0.957311");
    EXPECT_EQ(angles(2), "52.2562 -90 0.957311");

    run("atom R X 0 0 0\natom A X 0 1 0\natom B X 0 2 0\n");
    EXPECT_EQ(angles(1), "0 0 1");
    EXPECT_EQ(angles(2), "0 0 1");
}

TEST_F(Angles, RoundingResiduesArePrinted)
{
    // In A's frame B is off the Y axis by residues of equal size in X and Z.
    run("atom R X 0 0 0\natom A X 1 0 0\natom B X 2 0 0\n");
    EXPECT_EQ(g(atoms[2].phi), "45");
    EXPECT_EQ(g(atoms[2].bondl), "1");
    EXPECT_GT(atoms[2].theta, 1e-15);
    EXPECT_LT(atoms[2].theta, 1e-14);
    EXPECT_NE(g(atoms[2].theta), "0");
}

TEST_F(Angles, SingleAtomAndNegativeZero)
{
    run("atom R X 5 6 7\n");
    EXPECT_EQ(angles(0), "0 0 0");

    // A coordinate written -0 must not turn the bond by half a circle.
    // (atan2(-0, 1) is -0: only the two zeros together are taken as 0.)
    run("atom R X 0 0 0\natom A X -0 1 -0\natom B X -0.0 -0.0 -0.0\n");
    EXPECT_EQ(angles(1), "-0 0 1");
    EXPECT_EQ(angles(2), "180 0 1");
    run("atom R X 0 0 0\natom A X 0 -0 0\n");
    EXPECT_EQ(angles(1), "0 0 0");
}

TEST_F(Angles, RestoresEveryPositionOfABushyTree)
{
    std::string lines = "atom R X 0.25 -1.5 3\n";
    for (int i = 1; i < 200; i++) {
        char line[128];
        std::snprintf(line, sizeof line, "%satom A%d X %g %g %g%s\n", i % 7 == 1 ? "{ " : "", i,
                      std::sin(i * 1.7) * 3, std::cos(i * 0.3) * 2, i * 0.01, i % 7 == 4 ? " }" : "");
        lines += line;
    }
    run(lines);
    // Every bond length is the distance from the parent.
    for (int i = 1; i < natoms; i++) {
        const xyz &p = atoms[i].p, &q = atoms[i].parent->p;
        double d =
            std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z));
        EXPECT_NEAR(atoms[i].bondl, d, 1e-12 * (1 + d)) << i;
    }
}

TEST(AnglesBits, EveryAngleKeepsItsBits)
{
    // Hashes of every result's bits, taken when the pass measured one child
    // at a time with plain calls: any change in the order of the operations
    // shows here, in a residue no table of printed values would catch.
    struct {
        int shape, n;
        unsigned long long seed, hash;
    } rows[] = {
        {0, 1024, 1, 0x5c451c66ced64ee8ULL},
        {1, 1024, 2, 0x648ceb9d3ed7d015ULL},
        {2, 1024, 3, 0x3759e1d01a82f912ULL},
        {2, 300, 4, 0x6546038d8e38368dULL},
    };
    for (const auto &r : rows)
        EXPECT_EQ(pinnedtree(r.shape, r.n, r.seed), r.hash) << "shape " << r.shape << ", " << r.n << " atoms";
}
