#include "writers/gltf/glbrig.h"

#include "geometry/findangles.h"
#include "geometry/trig.h"
#include "model/model.h"

namespace {

double radians(double degrees) { return degrees * pi / 180; }

// The turn by theta about X followed by phi about Y, as one matrix: the
// mapping byphi(bytheta(q)) of the bond-angle pass.
void dialrotation(const atom &a, double r[3][3])
{
    if (!a.parent) {
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                r[i][j] = i == j;
        return;
    }
    double st = ksin(radians(a.theta)), ct = kcos(radians(a.theta));
    double sp = ksin(radians(a.phi)), cp = kcos(radians(a.phi));
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

} // namespace

void jointrest(const atom &a, double q[4], double t[3])
{
    t[0] = t[1] = t[2] = 0;
    q[0] = q[1] = q[2] = 0;
    q[3] = 1;
    if (!a.parent) {
        if (readxyz) {
            t[0] = a.p.x;
            t[1] = a.p.y;
            t[2] = a.p.z;
        }
        return;
    }
    if (a.parent->parent)
        t[1] = a.parent->bondl;
    // Half angles: the quaternion of the Y turn times that of the X turn.
    double sx = ksin(radians(a.theta) / 2), cx = kcos(radians(a.theta) / 2);
    double sy = ksin(radians(a.phi) / 2), cy = kcos(radians(a.phi) / 2);
    q[0] = cy * sx;
    q[1] = sy * cx;
    q[2] = -sy * sx;
    q[3] = cy * cx;
}

void atominjoint(const atom &a, double out[3])
{
    out[0] = out[2] = 0;
    out[1] = a.parent ? a.bondl : 0;
}

void restframes(rigframe *world, jointpose *rest)
{
    for (int n = 0; n < natoms; n++) {
        const atom &a = atoms[n];
        jointpose own;
        jointpose &pose = rest ? rest[n] : own;
        double *t = pose.t, r[3][3];
        jointrest(a, pose.q, t);
        dialrotation(a, r);
        rigframe &w = world[n];
        if (!a.parent) {
            for (int i = 0; i < 3; i++) {
                for (int j = 0; j < 3; j++)
                    w.r[i][j] = r[i][j];
                w.t[i] = t[i];
            }
            continue;
        }
        // Parents stand earlier in the table, so theirs is done already.
        const rigframe &p = world[a.parent - atoms];
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                w.r[i][j] = p.r[i][0] * r[0][j] + p.r[i][1] * r[1][j] + p.r[i][2] * r[2][j];
        mappoint(p, t, w.t);
    }
}
