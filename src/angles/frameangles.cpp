#include "angles/frameangles.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "geometry/trig.h"
#include "model/frames.h"
#include "model/model.h"

namespace {

// A bond frame's turn into the scene, by rows: the frame's X, Y and Z axes
// are its columns.
struct turn {
    double r[3][3];
};

// The atoms with every parent before its children. The description reader
// declares them so already; a table that is not is walked in that order.
std::vector<int> parentsfirst()
{
    const size_t N = static_cast<size_t>(natoms);
    std::vector<int> order;
    order.reserve(N);
    bool sorted = true;
    for (int n = 1; n < natoms; n++)
        if (atoms[n].parent - atoms >= n)
            sorted = false;
    if (sorted) {
        for (int n = 0; n < natoms; n++)
            order.push_back(n);
        return order;
    }
    std::vector<std::vector<int>> children(N);
    for (int n = 1; n < natoms; n++)
        children[static_cast<size_t>(atoms[n].parent - atoms)].push_back(n);
    order.push_back(0);
    for (size_t i = 0; i < order.size(); i++)
        for (int c : children[static_cast<size_t>(order[i])])
            order.push_back(c);
    return order;
}

// The bond d (in the scene) seen in the parent's frame f, its dial angles'
// sines and cosines, and the child's own frame: f turned by phi about Y
// after theta about X.
void measure(const turn &f, const double d[3], framebond *b, turn *child)
{
    double x = f.r[0][0] * d[0] + f.r[1][0] * d[1] + f.r[2][0] * d[2];
    double y = f.r[0][1] * d[0] + f.r[1][1] * d[1] + f.r[2][1] * d[2];
    double z = f.r[0][2] * d[0] + f.r[1][2] * d[1] + f.r[2][2] * d[2];
    double r = std::sqrt(x * x + z * z);
    double l = std::sqrt(x * x + y * y + z * z);
    b->x = x;
    b->y = y;
    b->z = z;
    b->r = r;
    b->bondl = l;
    // An angle whose two arguments are zero is 0, as the pass has it.
    double sp = 0, cp = 1, st = 0, ct = 1;
    if (r != 0) {
        sp = x / r;
        cp = z / r;
    }
    if (l != 0) {
        st = r / l;
        ct = y / l;
    }
    b->sinphi = sp;
    b->cosphi = cp;
    b->sintheta = st;
    b->costheta = ct;
    // The dial turn (byphi after bytheta), as a matrix: its columns are
    // the child's axes in the parent's frame.
    const double m[3][3] = {{cp, sp * st, sp * ct}, {0, ct, -st}, {-sp, cp * st, cp * ct}};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            child->r[i][j] = f.r[i][0] * m[0][j] + f.r[i][1] * m[1][j] + f.r[i][2] * m[2][j];
}

double degrees(double radians) { return radians * 180 / pi; }

} // namespace

int visitframes(void (*visit)(void *self, int frame, const framebond *bonds), void *self)
{
    if (!readxyz || natoms == 0)
        return 1;
    const int F = framecount();
    const size_t N = static_cast<size_t>(natoms);
    const xyz restroot = atoms[0].p;
    visit(self, 0, nullptr);
    const std::vector<int> order = parentsfirst();
    std::vector<framebond> bonds(N);
    std::vector<turn> frames(N);
    frames[0] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    bool ok = true;
    for (int k = 1; k < F; k++) {
        const float *p = framepositions(k);
        if (!p) {
            ok = false;
            break;
        }
        for (size_t i = 1; i < N; i++) {
            const int n = order[i];
            const int a = static_cast<int>(atoms[n].parent - atoms);
            const double d[3] = {static_cast<double>(p[3 * n]) - p[3 * a],
                                 static_cast<double>(p[3 * n + 1]) - p[3 * a + 1],
                                 static_cast<double>(p[3 * n + 2]) - p[3 * a + 2]};
            measure(frames[a], d, &bonds[n], &frames[n]);
        }
        atoms[0].p = xyz(p[0], p[1], p[2]);
        visit(self, k, bonds.data());
    }
    atoms[0].p = restroot;
    return ok ? 1 : 0;
}

void framedials(const framebond *bonds, double *out)
{
    if (natoms < 2)
        return;
    const size_t M = static_cast<size_t>(natoms - 1);
    // phi of every atom, then theta, in one call: their work overlaps.
    std::vector<double> y(2 * M), x(2 * M), a(2 * M);
    for (size_t i = 0; i < M; i++) {
        const framebond &b = bonds[i + 1];
        y[i] = b.x;
        x[i] = b.z;
        y[M + i] = b.r;
        x[M + i] = b.y;
    }
    katan2(y.data(), x.data(), a.data(), static_cast<int>(2 * M));
    for (size_t i = 0; i < M; i++) {
        double phi = y[i] == 0 && x[i] == 0 ? 0.0 : a[i];
        double theta = y[M + i] == 0 && x[M + i] == 0 ? 0.0 : a[M + i];
        double *o = &out[3 * (i + 1)];
        o[0] = degrees(theta);
        o[1] = degrees(phi);
        o[2] = bonds[i + 1].bondl;
    }
}
