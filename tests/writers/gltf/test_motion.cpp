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
#include "support/motionsamples.h"
#include "support/testutil.h"

namespace {

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

class motion : public ::testing::TestWithParam<motioncase> {};

TEST_P(motion, EveryKeyPutsEveryAtomAndBondWhereItsFrameDoes)
{
    const motioncase &c = GetParam();
    ASSERT_EQ(readframes(described(c.frames, c.branches, c.elements)), 1);
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

INSTANTIATE_TEST_SUITE_P(frames, motion, ::testing::ValuesIn(motioncases()));

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
