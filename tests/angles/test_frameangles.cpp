// The frames' bonds, measured without turning subtrees: every frame's
// angles and lengths as the bond-angle pass measures them with that frame's
// atoms in place, and the sines and cosines of those angles.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "angles/findangles.h"
#include "angles/frameangles.h"
#include "geometry/trig.h"
#include "model/frames.h"
#include "model/model.h"
#include "support/motionsamples.h"

namespace {

struct seen {
    std::vector<std::vector<double>> dials; // per frame: theta, phi, bondl per atom
    std::vector<std::vector<framebond>> bonds;
};

void look(void *self, int frame, const framebond *bonds)
{
    seen &s = *static_cast<seen *>(self);
    std::vector<double> d(3 * static_cast<size_t>(natoms));
    std::vector<framebond> b;
    if (bonds) {
        framedials(bonds, d.data());
        b.assign(bonds, bonds + natoms);
    }
    EXPECT_EQ(static_cast<int>(s.dials.size()), frame);
    s.dials.push_back(d);
    s.bonds.push_back(b);
}

class frameangles : public ::testing::TestWithParam<motioncase> {};

TEST_P(frameangles, EveryFrameMeasuresAsTheBondAnglePass)
{
    const motioncase &c = GetParam();
    ASSERT_EQ(readframes(described(c.frames, c.branches, c.elements)), 1);
    const int F = framecount();
    ASSERT_EQ(F, static_cast<int>(c.frames.size()));
    std::vector<atom> before(atoms, atoms + natoms);
    seen s;
    ASSERT_EQ(visitframes(look, &s), 1);
    ASSERT_EQ(static_cast<int>(s.dials.size()), F);
    for (int n = 0; n < natoms; n++) {
        EXPECT_EQ(atoms[n].p.x, before[n].p.x);
        EXPECT_EQ(atoms[n].theta, before[n].theta);
    }
    for (int k = 1; k < F; k++) {
        // The pass itself, on the frame's atoms as the frames keep them.
        const float *p = framepositions(k);
        ASSERT_NE(p, nullptr);
        for (int n = 0; n < natoms; n++)
            atoms[n].p = xyz(p[3 * n], p[3 * n + 1], p[3 * n + 2]);
        findangles(0);
        for (int n = 1; n < natoms; n++) {
            const double *d = &s.dials[k][3 * n];
            const framebond &b = s.bonds[k][n];
            const double theta = atoms[n].theta, phi = atoms[n].phi;
            // phi of a bond close to its parent's axis is ill-conditioned:
            // the two ways round differ by the rounding of the bond's
            // length, over its reach off the axis.
            const double ill = b.r > 0 ? 1 + b.bondl / b.r : 1;
            EXPECT_NEAR(d[0], theta, 1e-9) << c.what << " frame " << k << " atom " << n;
            EXPECT_NEAR(d[1], phi, 1e-9 * ill) << c.what << " frame " << k << " atom " << n;
            EXPECT_NEAR(d[2], atoms[n].bondl, 1e-12) << c.what << " frame " << k << " atom " << n;
            EXPECT_NEAR(b.bondl, atoms[n].bondl, 1e-12);
            EXPECT_NEAR(b.sintheta, std::sin(theta * pi / 180), 1e-12) << c.what << " atom " << n;
            EXPECT_NEAR(b.costheta, std::cos(theta * pi / 180), 1e-12) << c.what << " atom " << n;
            EXPECT_NEAR(b.sinphi, std::sin(phi * pi / 180), 1e-12 * ill) << c.what << " atom " << n;
            EXPECT_NEAR(b.cosphi, std::cos(phi * pi / 180), 1e-12 * ill) << c.what << " atom " << n;
        }
        for (int n = 0; n < natoms; n++)
            atoms[n] = before[n];
    }
}

INSTANTIATE_TEST_SUITE_P(frames, frameangles, ::testing::ValuesIn(motioncases()));

} // namespace
