// The figure's skeleton at rest, in doubles: one joint per atom, nested as
// the atom tree. A non-root atom's joint pivots at its parent atom and turns
// as the figure file's dials do (phi about Y after theta about X); the atom
// itself lies bondl along the joint's +Y axis, so a bone is a bond.
#pragma once

struct atom;

// Maps a point q of a joint's frame to r q + t in its parent's frame (or in
// the scene, for the root or a joint's world frame).
struct rigframe {
    double r[3][3];
    double t[3];
};

// The joint's rest transform relative to its parent joint: the rotation as a
// quaternion (x, y, z, w) and the translation. The root stands at its
// position (the origin in angle mode) unturned; a child of the root at the
// origin of the root's frame; every other joint at its parent atom, which
// lies bondl along the parent joint's +Y axis.
void jointrest(const atom &a, double q[4], double t[3]);

// A joint's rest transform as jointrest gives it.
struct jointpose {
    double q[4];
    double t[3];
};

// Every joint's frame in the scene at rest, parents before children, into
// world[0 .. natoms - 1], and (unless rest is null) every joint's rest
// transform into rest[0 .. natoms - 1], made on the way.
void restframes(rigframe *world, jointpose *rest);

// Where the atom stands in its own joint's frame: (0, bondl, 0), or the
// joint's origin for the root.
void atominjoint(const atom &a, double out[3]);

// d turned by f's rotation only. Inline: the figure maps some 150,000
// vertices.
inline void mapvector(const rigframe &f, const double d[3], double out[3])
{
    for (int i = 0; i < 3; i++)
        out[i] = f.r[i][0] * d[0] + f.r[i][1] * d[1] + f.r[i][2] * d[2];
}

// p mapped by f.
inline void mappoint(const rigframe &f, const double p[3], double out[3])
{
    mapvector(f, p, out);
    for (int i = 0; i < 3; i++)
        out[i] += f.t[i];
}
