// Whole molecules of a crystal's unit cell. A crystal file gives one cell's
// atoms, each moved into the cell, so a molecule across a cell face comes
// out in pieces at opposite faces. Bonds are found with the cell's
// periodicity (an atom near one face bonds to the images across it), and
// each molecule's atoms are moved by whole cell vectors so that it lies
// together, its centre in the cell. A part whose bonds run on through the
// crystal (a salt, a metal, a framework) has no whole molecule: it stays
// as the cell gives it. Atoms are only moved, never added or left out.
#pragma once

#include <array>
#include <vector>

#include "import/molecule.h"

namespace importer {

// The cell's edge vectors a, b and c (Angstrom, Cartesian): an atom at
// fractional (u, v, w) stands at u·a + v·b + w·c.
using cellaxes = std::array<std::array<double, 3>, 3>;
using cellshift = std::array<int, 3>;

// For each atom (element set, Cartesian place in the cell; fract its
// fractional coordinates), the whole cells to move it by. Bonds follow the
// distance rule and the valence caps of findbonds (bonds.h).
std::vector<cellshift> wholemolecules(const std::vector<inatom> &atoms,
                                      const std::vector<std::array<double, 3>> &fract, const cellaxes &axes);

} // namespace importer
