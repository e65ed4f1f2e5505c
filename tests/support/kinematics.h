// Atom positions rebuilt from bond angles and lengths, by the child's frame
// rule: a point q of a child's frame lies in its parent's frame at q plus
// (0, bondl, 0), turned about X by theta (+Y toward +Z), then about Y by
// phi (+Z toward +X). Written here from that rule alone, so that it checks
// the converter rather than repeating it.
#pragma once

#include <cmath>
#include <vector>

namespace kinematics {

struct vec {
    double x, y, z;
};

struct frame {
    double r[3][3]; // columns: the frame's axes in world coordinates
    vec o;          // its origin in world coordinates
};

inline vec apply(const double r[3][3], vec v)
{
    return {r[0][0] * v.x + r[0][1] * v.y + r[0][2] * v.z, r[1][0] * v.x + r[1][1] * v.y + r[1][2] * v.z,
            r[2][0] * v.x + r[2][1] * v.y + r[2][2] * v.z};
}

// The child's frame from its parent's; angles in degrees.
inline frame child(const frame &parent, double theta, double phi, double bondl)
{
    const double pi = 3.14159265358979323846;
    double t = theta * pi / 180, f = phi * pi / 180;
    double ct = std::cos(t), st = std::sin(t), cf = std::cos(f), sf = std::sin(f);
    // turn = byphi(f) after bytheta(t)
    double turn[3][3] = {{cf, sf * st, sf * ct}, {0, ct, -st}, {-sf, cf * st, cf * ct}};
    frame c;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            c.r[i][j] =
                parent.r[i][0] * turn[0][j] + parent.r[i][1] * turn[1][j] + parent.r[i][2] * turn[2][j];
    vec step = apply(c.r, {0, bondl, 0});
    c.o = {parent.o.x + step.x, parent.o.y + step.y, parent.o.z + step.z};
    return c;
}

// World positions of atoms listed parents first (parent[0] = -1), the root
// at `root` with the world's axes.
inline std::vector<vec> positions(const std::vector<int> &parent, const std::vector<double> &theta,
                                  const std::vector<double> &phi, const std::vector<double> &bondl, vec root)
{
    std::vector<frame> frames(parent.size());
    frames[0] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, root};
    for (size_t i = 1; i < parent.size(); i++)
        frames[i] = child(frames[parent[i]], theta[i], phi[i], bondl[i]);
    std::vector<vec> out;
    for (const frame &f : frames)
        out.push_back(f.o);
    return out;
}

inline double distance(vec a, vec b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

} // namespace kinematics
