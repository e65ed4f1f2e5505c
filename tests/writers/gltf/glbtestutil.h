// What the glTF tests share: the figure of the current model written into a
// string and read back, ball centres as a skinning reader computes them, and
// where the bond-angle pass's values put each atom.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "geometry/XYZ.h"
#include "glbreader.h"

// writeGLB of the current model; *result gets its return value.
std::string glbof(int *result = nullptr, const char *name = "molecule");
// Writes and reads back the current model's file; fails the test on a bad container.
glbfile writeandread();

// The vertices of each connected piece of a triangle list over n vertices
// (one cylinder each in a bond primitive), keyed by a member.
std::map<size_t, std::vector<size_t>> connectedparts(const std::vector<double> &idx, size_t n);

// The skinned position of every vertex of one primitive, in order, under
// the given node world matrices.
std::vector<xyz> skinnedpositions(const glbfile &f, const jvalue &prim,
                                  const std::vector<std::vector<double>> &world);
// The skinned position of every vertex of every primitive whose material is
// not "bonds", grouped by joint, under the given node world matrices.
std::map<int, std::vector<xyz>> ballvertices(const glbfile &f, const std::vector<std::vector<double>> &world);
// The same for the bonds' primitive.
std::map<int, std::vector<xyz>> bondvertices(const glbfile &f, const std::vector<std::vector<double>> &world);
// The mean of each joint's ball vertices.
std::map<int, xyz> ballcentres(const glbfile &f, const std::vector<std::vector<double>> &world);

// Where the frame rule puts atom i: every ancestor's turn and bond length
// applied in turn, at full precision; the atom turned (if any) gets extra
// degrees on its theta.
xyz placed(int i, int turned = -1, double extra = 0);
// The size of the numbers that place atom i, for the float rounding allowance.
double placescale(int i);

double distance(const xyz &a, const xyz &b);

// A coordinate-mode molecule of n atoms hanging from random earlier atoms at
// random places, of up to three elements (radii 0.4, 0.2, -0.3), set into
// the model directly, with its bond angles derived.
void randommolecule(int n, unsigned seed, double bonds = 0.1, int kinds = 3);
