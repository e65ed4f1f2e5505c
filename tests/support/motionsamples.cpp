#include "support/motionsamples.h"

#include <cmath>
#include <cstdio>

#include "angles/findangles.h"
#include "geometry/trig.h"
#include "support/testutil.h"

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
frame ethane(double turn, double stretch, xyz shift)
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

frame helix(int n, double twist)
{
    frame f;
    for (int i = 0; i < n; i++) {
        double a = (37 + twist) * i * pi / 180;
        f.push_back(
            xyz(1.2 * std::cos(a) + 0.01 * i, 0.3 * i * std::sin(0.1 * i + twist), 1.2 * std::sin(a)));
    }
    f.push_back(f[n - 2]);
    f.back().y += 1e-3;
    return f;
}

std::vector<motioncase> motioncases()
{
    // Deep enough that the parents' frames, built down the tree, would drift
    // if they were built carelessly.
    const int chain = 300;
    return {motioncase{"torsion scan", {ethane(0), ethane(40), ethane(80), ethane(120)}},
            motioncase{"conformers whose bonds stretch", {ethane(0), ethane(30, 0.2), ethane(60, -0.1)}},
            motioncase{"an ensemble that moves",
                       {ethane(0), ethane(10, 0.05, xyz(1, -2, 0.5)), ethane(-20, 0, xyz(-0.5, 0.3, 2))}},
            motioncase{"a winding chain",
                       {helix(chain, 0), helix(chain, 11), helix(chain, -73)},
                       std::vector<bool>(chain + 1, false),
                       std::vector<std::string>(chain + 1, "C")}};
}
