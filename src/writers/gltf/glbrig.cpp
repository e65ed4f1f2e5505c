#include "writers/gltf/glbrig.h"

#include <cmath>
#include <vector>

#include "geometry/trig.h"
#include "model/model.h"

namespace {

double radians(double degrees) { return degrees * pi / 180; }

// The sines and cosines a joint needs, of its dial angles and of their
// halves.
struct dialtrig {
    double st, ct, sp, cp; // theta and phi
    double sx, cx, sy, cy; // theta / 2 and phi / 2
};

// The angles whose sines and cosines dialtrig holds, in its order.
void dialangles(const atom &a, double out[4])
{
    out[0] = radians(a.theta);
    out[1] = radians(a.phi);
    out[2] = radians(a.theta) / 2;
    out[3] = radians(a.phi) / 2;
}

dialtrig trigof(const double s[4], const double c[4])
{
    return {s[0], c[0], s[1], c[1], s[2], c[2], s[3], c[3]};
}

dialtrig trigof(const atom &a)
{
    double x[4], s[4], c[4];
    dialangles(a, x);
    for (int i = 0; i < 4; i++)
        ksincos(x[i], &s[i], &c[i]);
    return trigof(s, c);
}

// The turn by theta about X followed by phi about Y, as one matrix: the
// mapping byphi(bytheta(q)) of the bond-angle pass.
void dialrotation(const atom &a, const dialtrig &d, double r[3][3])
{
    if (!a.parent) {
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                r[i][j] = i == j;
        return;
    }
    double st = d.st, ct = d.ct, sp = d.sp, cp = d.cp;
    r[0][0] = cp;
    r[0][1] = sp * st;
    r[0][2] = sp * ct;
    r[1][0] = 0;
    r[1][1] = ct;
    r[1][2] = -st;
    r[2][0] = -sp;
    r[2][1] = cp * st;
    r[2][2] = cp * ct;
}

// sin 45 degrees: the quaternion of a quarter turn about X.
const double HALFROOT2 = 0.70710678118654752440;

void jointrest(const atom &a, const dialtrig &d, double q[4], double t[3])
{
    t[0] = t[1] = t[2] = 0;
    if (!a.parent) {
        // The joint frame of the unturned bond frame.
        q[0] = HALFROOT2;
        q[1] = q[2] = 0;
        q[3] = HALFROOT2;
        t[1] = rootbonelength();
        return;
    }
    if (a.parent->parent)
        t[2] = -a.parent->bondl;
    // The dials' turn seen in joint frames: theta about X stays, phi about
    // the bond frame's Y is phi about the joint's -Z. The quaternion of the
    // Z turn times that of the X turn, from half angles.
    double sx = d.sx, cx = d.cx, sy = d.sy, cy = d.cy;
    q[0] = cy * sx;
    q[1] = -sy * sx;
    q[2] = -sy * cx;
    q[3] = cy * cx;
}

} // namespace

void jointrest(const atom &a, double q[4], double t[3])
{
    jointrest(a, a.parent ? trigof(a) : dialtrig{}, q, t);
}

double rootbonelength()
{
    double shortest = 0, longest = 0;
    for (int n = 1; n < natoms; n++) {
        double b = std::fabs(atoms[n].bondl);
        if (b > longest)
            longest = b;
        if (atoms[n].parent == &atoms[0] && b != 0 && (shortest == 0 || b < shortest))
            shortest = b;
    }
    if (shortest != 0)
        return shortest / 2;
    if (longest != 0)
        return longest / 2;
    if (natoms > 0 && atoms[0].sort && atoms[0].sort->rad != 0)
        return std::fabs(atoms[0].sort->rad);
    return 1;
}

void rignode(double t[3])
{
    t[0] = t[1] = t[2] = 0;
    if (natoms > 0 && readxyz) {
        t[0] = atoms[0].p.x;
        t[1] = atoms[0].p.y;
        t[2] = atoms[0].p.z;
    }
    t[1] -= rootbonelength();
}

void atominbond(const atom &a, double out[3])
{
    out[0] = out[2] = 0;
    out[1] = a.parent ? a.bondl : 0;
}

rigframe jointframe(const rigframe &bond)
{
    // A quarter turn about X maps the joint's -Z onto the bond's +Y: the
    // joint's X, Y and Z axes are the bond frame's X, Z and -Y.
    rigframe j;
    for (int i = 0; i < 3; i++) {
        j.r[i][0] = bond.r[i][0];
        j.r[i][1] = bond.r[i][2];
        j.r[i][2] = -bond.r[i][1];
        j.t[i] = bond.t[i];
    }
    return j;
}

namespace {

// Every joint's sines and cosines at once, their work overlapping.
struct alltrig {
    std::vector<double> x, s, c;
    alltrig() : x(4 * static_cast<size_t>(natoms)), s(x.size()), c(x.size())
    {
        for (int n = 1; n < natoms; n++)
            dialangles(atoms[n], &x[4 * n]);
        if (natoms > 1)
            ksincos(&x[4], &s[4], &c[4], 4 * (natoms - 1));
    }
    dialtrig of(int n) const { return atoms[n].parent ? trigof(&s[4 * n], &c[4 * n]) : dialtrig{}; }
};

} // namespace

void jointsrest(jointpose *rest)
{
    const alltrig trig;
    for (int n = 0; n < natoms; n++)
        jointrest(atoms[n], trig.of(n), rest[n].q, rest[n].t);
}

void bondframes(rigframe *world, jointpose *rest)
{
    const alltrig trig;
    for (int n = 0; n < natoms; n++) {
        const atom &a = atoms[n];
        dialtrig d = trig.of(n);
        if (rest)
            jointrest(a, d, rest[n].q, rest[n].t);
        double r[3][3];
        dialrotation(a, d, r);
        rigframe &w = world[n];
        if (!a.parent) {
            double t[3] = {0, 0, 0};
            if (readxyz) {
                t[0] = a.p.x;
                t[1] = a.p.y;
                t[2] = a.p.z;
            }
            for (int i = 0; i < 3; i++) {
                for (int j = 0; j < 3; j++)
                    w.r[i][j] = r[i][j];
                w.t[i] = t[i];
            }
            continue;
        }
        // Parents stand earlier in the table, so theirs is done already. A
        // child of the root pivots at the root atom, any other at its
        // parent atom, bondl along the parent's bond.
        const rigframe &p = world[a.parent - atoms];
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                w.r[i][j] = p.r[i][0] * r[0][j] + p.r[i][1] * r[1][j] + p.r[i][2] * r[2][j];
        double pivot[3];
        atominbond(*a.parent, pivot);
        mappoint(p, pivot, w.t);
    }
}
