// The figure's skeleton at rest, in doubles: one joint per atom, nested as
// the atom tree, below one plain node that carries the whole rig. A
// non-root atom's joint pivots at its parent atom and turns as the figure
// file's dials do (phi about the bond axis after theta about X), so turning
// a joint turns its atom's subtree about the parent atom.
//
// Two frames belong to each atom. Its bond frame has the bond (parent atom
// to atom) on +Y, as the bond-angle pass measures it; the meshes are built
// in it. Its joint frame is the bond frame turned a quarter about X, so
// that the bond lies on the joint's -Z axis: glTF's -Z is +Y in Blender,
// the axis its bones point along, so Blender draws each bone along its
// bond. X, the axis of the theta dial, is the same in both.
#pragma once

struct atom;

// Maps a point q of a frame to r q + t in its parent's frame (or in the
// scene, for a world frame).
struct rigframe {
    double r[3][3];
    double t[3];
};

// The joint's rest transform relative to its parent joint, or to the rig
// node for the root: the rotation as a quaternion (x, y, z, w) and the
// translation. A child of the root stands at the root joint's origin; every
// other joint at its parent atom, which lies bondl along the parent
// joint's -Z axis.
void jointrest(const atom &a, double q[4], double t[3]);

// The plain node above the root joint: it stands rootbonelength() below the
// root atom (the origin in angle mode), so that a tool which draws bones
// takes that short step as the root's bone, whatever the figure's place.
void rignode(double t[3]);
// Half the shortest bond from the root (half the longest bond when the root
// has none; the root's ball radius, or 1, when there is no bond at all):
// short beside the molecule, and never the length of a bond that starts at
// the root atom, so the root's bone shares its ends with no other bone.
double rootbonelength();

// A joint's rest transform as jointrest gives it.
struct jointpose {
    double q[4];
    double t[3];
};

// Every joint's rest transform as jointrest gives it, into rest[0 ..
// natoms - 1], their sines and cosines worked out side by side (the same
// bits): the animation takes them anew for every frame.
void jointsrest(jointpose *rest);

// Every atom's bond frame in the scene at rest, parents before children,
// into world[0 .. natoms - 1], and (unless rest is null) every joint's rest
// transform into rest[0 .. natoms - 1], made on the way: their sines and
// cosines are most of the work. The root's frame stands at the root atom
// unturned.
void bondframes(rigframe *world, jointpose *rest);
// The joint frame of a bond frame.
rigframe jointframe(const rigframe &bond);

// Where the atom stands in its own bond frame: (0, bondl, 0), or the
// origin for the root.
void atominbond(const atom &a, double out[3]);

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
