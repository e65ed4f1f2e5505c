// How the glTF figure draws a bond of each order: the parallel lines
// (cylinders) of one bond, placed across it along a side direction that
// lies in the plane of a neighbouring bond.
//   single:   one line of the bond radius on the bond's axis;
//   double:   two lines of 0.6 times the bond radius, one either side of the
//             axis, their surfaces apart by one such radius;
//   triple:   three such lines, the middle one on the axis;
//   aromatic: the bond as a single, and an inner line of half the bond
//             radius on the side of the neighbour (inside the ring), from a
//             fifth to four fifths of the bond's length, as a chemist
//             draws the dashed inner line of a ring.
// Where the lines reach wider than nine tenths of the smaller ball at the
// bond's ends, they are drawn closer and thinner in proportion, so that
// every line ends inside both balls.
#pragma once

struct bondline {
    double offset;   // from the axis along the side direction
    double radius;   // of the cylinder
    double from, to; // where along the bond it starts and ends, 0 to 1
};

enum { MAXBONDLINES = 3 };

// The lines of a bond of the given order (1 to 3, or 4 for aromatic; any
// other counts as single), into out; returns how many. ballradius: the
// smaller of the two atoms' ball radii, 0 when one has no ball (no limit).
int bondlayout(int order, double radius, double ballradius, bondline out[MAXBONDLINES]);

// How many lines a bond of the given order has.
int bondlinecount(int order);
