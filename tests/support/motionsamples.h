// Descriptions with frames for the tests of every writer that animates a
// figure: ethane, whose methyl group turns, whose bonds stretch and whose
// whole molecule moves, frame by frame.
#pragma once

#include <string>
#include <vector>

#include "geometry/XYZ.h"

typedef std::vector<xyz> frame;

// A description of coordinates with frames after the first, as
// kestrix-import writes them: a chain with the atoms marked as one-atom
// side branches.
std::string described(const std::vector<frame> &frames, const std::vector<bool> &branches,
                      const std::vector<std::string> &elements);

// Ethane's methyl group turned by turn degrees about the C-C bond: C0, H1
// on it (a side branch), C1, then H3, H4, H5 on it (side branches but the
// last).
frame ethane(double turn, double stretch = 0, xyz shift = xyz(0, 0, 0));

extern const std::vector<bool> ETHANEBRANCHES;
extern const std::vector<std::string> ETHANEELEMENTS;

// Reads the description as a conversion does: the bond angles of frame 1.
int readframes(const std::string &text);

struct motioncase {
    const char *what;
    std::vector<frame> frames;
    std::vector<bool> branches = ETHANEBRANCHES;
    std::vector<std::string> elements = ETHANEELEMENTS;
};

// A chain of n carbons (and one more) wound as a helix whose pitch and
// radius change with twist, so that its bonds point every way: phi in all
// four quarters, theta near 0 and near half a turn, and a last bond
// straight back along its parent's.
frame helix(int n, double twist);

// A torsion scan, conformers whose bonds stretch, an ensemble that moves,
// and a winding chain whose bonds point every way.
std::vector<motioncase> motioncases();
