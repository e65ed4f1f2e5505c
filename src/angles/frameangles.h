// The bonds of every frame of a description with frames (model/frames.h),
// for the writers that animate a figure: the glTF animation and the Poser
// pose file read the same numbers, frame by frame.
//
// The bond-angle pass measures each child by turning its parent's whole
// subtree with sines and cosines of measured angles, which is work in
// proportion to the atoms times the depth of the tree, and double-double
// trigonometry on the way. A frame needs none of that: each atom's bond is
// found in its parent's bond frame by one turn of the bond itself (the
// parent's frame, built down the tree), and the sines and cosines of its
// dial angles are the bond's own components divided by lengths. Square
// roots and the four operations alone: the same bits on every build.
#pragma once

// One atom's bond (parent atom to atom) in one frame, in its parent's bond
// frame: the bond the bond-angle pass would turn onto +Y with
// phi = atan2(x, z) and then theta = atan2(r, y) (each 0 where both its
// arguments are), and the sines and cosines of those angles.
struct framebond {
    double x, y, z;
    double r;     // sqrt(x^2 + z^2), the bond's reach off the parent's Y axis
    double bondl; // its length
    double sinphi, cosphi, sintheta, costheta;
};

// Visits frame 0 with bonds null (the rest pose: the atoms' theta, phi and
// bondl as read and measured), then each further frame k with bonds[n] for
// every atom n but the root (bonds[0] unused), while atoms[0].p is that
// frame's root position. The atoms' angles are not changed, and afterwards
// every atom is as it was. Nothing is visited in angle mode, where frames
// are ignored. Returns 0, having stopped, when a frame cannot be read back
// from its temporary file.
int visitframes(void (*visit)(void *self, int frame, const framebond *bonds), void *self);

// theta, phi (in degrees, as the bond-angle pass gives them: the portable
// atan2 of the bond's components) and bondl of atoms 1 to natoms - 1 of one
// frame's bonds, into out[3 n], out[3 n + 1] and out[3 n + 2].
void framedials(const framebond *bonds, double *out);
