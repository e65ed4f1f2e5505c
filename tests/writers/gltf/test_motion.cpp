// Animated figures: a description with frames becomes one glTF animation
// whose every key puts every atom where its frame does, with every bond
// cylinder still on its two atoms, and whose in-between turns at the bonds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "glbreader.h"
#include "angles/findangles.h"
#include "glbtestutil.h"
#include "model/frames.h"
#include "model/model.h"
#include "support/testutil.h"

namespace {

typedef std::vector<xyz> frame;

// A description of coordinates with frames after the first, as
// kestrix-import writes them: the bond tree of the parents given.
std::string described(const std::vector<frame> &frames, const std::vector<bool> &branches,
                      const std::vector<std::string> &elements)
{
    std::string t = "name moving\nreadxyz\nbondradius 0.05\nelement C 1 2 3 0.3\nelement H 4 5 6 0.2\n";
    // A chain, with the atoms marked as one-atom side branches.
    for (size_t n = 0; n < branches.size(); n++) {
        bool branch = branches[n];
        char line[200];
        std::snprintf(line, sizeof line, "%satom A%zu %s %.6f %.6f %.6f%s\n", branch ? "{ " : "", n,
                      elements[n].c_str(), frames[0][n].x, frames[0][n].y, frames[0][n].z,
                      branch ? " }" : "");
        t += line;
    }
    for (size_t k = 1; k < frames.size(); k++) {
        t += "//@ frame " + std::to_string(k + 1) + "\n";
        for (size_t n = 0; n < branches.size(); n++) {
            char line[200];
            std::snprintf(line, sizeof line, "//@ xyz A%zu %.6f %.6f %.6f\n", n, frames[k][n].x,
                          frames[k][n].y, frames[k][n].z);
            t += line;
        }
    }
    return t;
}

// Ethane's methyl group turned by turn degrees about the C-C bond: C0, H1
// on it (a side branch), C1, then H3, H4, H5 on it (side branches but the
// last).
frame ethane(double turn, double stretch = 0, xyz shift = xyz(0, 0, 0))
{
    frame f = {xyz(0, 0, 0), xyz(0.2, 0.1, -1.09), xyz(0, 0, 1.53 + stretch)};
    for (int i = 0; i < 3; i++) {
        double a = (turn + 120 * i) * pi / 180;
        f.push_back(xyz(1.03 * std::cos(a), 1.03 * std::sin(a), 1.89 + stretch));
    }
    for (xyz &p : f) {
        p.x += shift.x;
        p.y += shift.y;
        p.z += shift.z;
    }
    return f;
}

const std::vector<bool> ETHANEBRANCHES = {false, true, false, true, true, false};
const std::vector<std::string> ETHANEELEMENTS = {"C", "H", "C", "H", "H", "H"};

// Reads the description as a conversion does: the bond angles of frame 1.
int readframes(const std::string &text)
{
    int r = readtext(text);
    findangles(0);
    return r;
}

// The animation's value of a node's channel at time t, as glTF's LINEAR
// interpolation gives it: spherical for rotations, straight for the rest.
std::vector<double> sample(const glbfile &f, const jvalue &sampler, bool rotation, double t)
{
    int w, wt;
    std::vector<double> times = accessorvalues(f, sampler["input"].integer(), &wt);
    std::vector<double> v = accessorvalues(f, sampler["output"].integer(), &w);
    size_t k = 0;
    while (k + 2 < times.size() && times[k + 1] <= t)
        k++;
    double u = (t - times[k]) / (times[k + 1] - times[k]);
    if (u < 0)
        u = 0;
    if (u > 1)
        u = 1;
    std::vector<double> a(v.begin() + k * w, v.begin() + (k + 1) * w),
        b(v.begin() + (k + 1) * w, v.begin() + (k + 2) * w);
    std::vector<double> out(w);
    if (!rotation) {
        for (int i = 0; i < w; i++)
            out[i] = a[i] + u * (b[i] - a[i]);
        return out;
    }
    double dot = 0;
    for (int i = 0; i < 4; i++)
        dot += a[i] * b[i];
    if (dot < 0) {
        dot = -dot;
        for (double &c : b)
            c = -c;
    }
    double th = std::acos(std::fmin(1.0, dot));
    for (int i = 0; i < 4; i++)
        out[i] = th < 1e-9 ? a[i] : (std::sin((1 - u) * th) * a[i] + std::sin(u * th) * b[i]) / std::sin(th);
    return out;
}

// The file with its nodes put where the animation has them at time t.
glbfile posed(const glbfile &f, double t)
{
    glbfile g = f;
    const jvalue &anim = f.json["animations"][0];
    for (size_t c = 0; c < anim["channels"].size(); c++) {
        const jvalue &ch = anim["channels"][c];
        bool rotation = ch["target"]["path"].text == "rotation";
        std::vector<double> v =
            sample(f, anim["samplers"][static_cast<size_t>(ch["sampler"].integer())], rotation, t);
        jvalue &node = g.json.members[0].second; // replaced below by key
        for (auto &m : g.json.members)
            if (m.first == "nodes")
                for (auto &nm : m.second.items[static_cast<size_t>(ch["target"]["node"].integer())].members)
                    if (nm.first == ch["target"]["path"].text)
                        for (size_t i = 0; i < v.size(); i++)
                            nm.second.items[i].number = v[i];
        (void)node;
    }
    return g;
}

double segmentdistance(const xyz &p, const xyz &a, const xyz &b)
{
    xyz d(b.x - a.x, b.y - a.y, b.z - a.z), e(p.x - a.x, p.y - a.y, p.z - a.z);
    double len2 = d.x * d.x + d.y * d.y + d.z * d.z;
    double u = len2 > 0 ? (e.x * d.x + e.y * d.y + e.z * d.z) / len2 : 0;
    u = std::fmax(0.0, std::fmin(1.0, u));
    return distance(p, xyz(a.x + u * d.x, a.y + u * d.y, a.z + u * d.z));
}

struct motioncase {
    const char *what;
    std::vector<frame> frames;
};

class motion : public ::testing::TestWithParam<motioncase> {};

TEST_P(motion, EveryKeyPutsEveryAtomAndBondWhereItsFrameDoes)
{
    const motioncase &c = GetParam();
    ASSERT_EQ(readframes(described(c.frames, ETHANEBRANCHES, ETHANEELEMENTS)), 1);
    ASSERT_EQ(framecount(), static_cast<int>(c.frames.size()));
    glbfile f;
    ASSERT_EQ(readglb(glbof(nullptr, "moving"), &f), "");
    const jvalue &anim = f.json["animations"][0];
    EXPECT_EQ(anim["name"].text, "moving");
    for (size_t k = 0; k < c.frames.size(); k++) {
        glbfile g = posed(f, static_cast<double>(k) / 24);
        std::vector<std::vector<double>> world = worldmatrices(g);
        std::map<int, xyz> centres = ballcentres(g, world);
        for (int n = 0; n < natoms; n++)
            EXPECT_LT(distance(centres[n], c.frames[k][n]), 1e-3)
                << c.what << " frame " << k << " atom " << n;
        for (auto &[joint, verts] : bondvertices(g, world))
            for (const xyz &v : verts) {
                double nearest = 1e9;
                for (int n = 1; n < natoms; n++)
                    nearest = std::fmin(
                        nearest, segmentdistance(v, c.frames[k][atoms[n].parent - atoms], c.frames[k][n]));
                EXPECT_LT(nearest, 0.05 + 1e-3) << c.what << " frame " << k << " joint " << joint;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    frames, motion,
    ::testing::Values(motioncase{"torsion scan", {ethane(0), ethane(40), ethane(80), ethane(120)}},
                      motioncase{"bonds that stretch", {ethane(0), ethane(30, 0.2), ethane(60, -0.1)}},
                      motioncase{"an ensemble that moves",
                                 {ethane(0), ethane(10, 0.05, xyz(1, -2, 0.5)),
                                  ethane(-20, 0, xyz(-0.5, 0.3, 2))}}));

TEST(motion, TheMidpointOfAMethylTurnKeepsItsBondLengths)
{
    ASSERT_EQ(readframes(described({ethane(0), ethane(120)}, ETHANEBRANCHES, ETHANEELEMENTS)), 1);
    glbfile f;
    ASSERT_EQ(readglb(glbof(nullptr, "moving"), &f), "");
    glbfile g = posed(f, 0.5 / 24);
    std::map<int, xyz> centres = ballcentres(g, worldmatrices(g));
    for (int h = 3; h <= 5; h++)
        EXPECT_NEAR(distance(centres[2], centres[h]), distance(ethane(0)[2], ethane(0)[h]), 0.01 * 1.1);
    // Halfway, the hydrogens have turned by 60 degrees, not crossed the axis.
    EXPECT_NEAR(std::atan2(centres[3].y, centres[3].x) * 180 / pi, 60, 0.5);
}

TEST(motion, ADescriptionWithoutFramesHasNoAnimation)
{
    ASSERT_EQ(readframes(described({ethane(0)}, ETHANEBRANCHES, ETHANEELEMENTS)), 1);
    glbfile f;
    ASSERT_EQ(readglb(glbof(nullptr, "moving"), &f), "");
    EXPECT_FALSE(f.json.has("animations"));
}

} // namespace
