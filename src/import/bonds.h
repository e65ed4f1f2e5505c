// Bonds from distances, checked as a chemist would, and the bond list of a
// molecule made whole.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "import/molecule.h"
#include "base/problem.h"

namespace importer {

using bondlist = std::vector<std::pair<int, int>>;

// Closer than this (Angstrom), two atoms are one atom written twice.
const double TOOCLOSE = 0.40;

// The longest bond of two atoms found from distances: the sum of their
// covalent radii (Angstrom) and this slack.
const double BONDSLACK = 0.45;
inline double bondcutoff(double radius1, double radius2) { return radius1 + radius2 + BONDSLACK; }

// Bonds whose lengths differ by no more than this (Angstrom) are equal
// where a maximum cuts: kept or dropped together.
const double TIE = 0.01;

// Two atoms are bonded by distance when their distance lies above 0.40 and
// below the sum of their covalent radii plus 0.45 (Angstrom): the rule most
// chemistry programs apply to files without bonds.
bool bonded(const inatom &a, const inatom &b);

// Every pair (i < j) of atoms closer than the sum of their covalent radii
// plus 0.45, with its squared distance, found on a grid of cells as wide as
// the largest such sum: the time grows with the atoms and the pairs found,
// never with the square of the atoms.
void nearpairs(const std::vector<inatom> &atoms, const std::function<void(int, int, double)> &pair);

// The molecule's bonds, each once as (lower index, higher index), in
// increasing order: those the file lists, as it lists them, plus, where the
// molecule asks for it, those found from distances, less
//  - any between two metals,
//  - where an atom other than a metal then has more bonds than its element
//    has at most (maxbonds), its longest bonds found from distances, those
//    within TIE of each other at the cut together.
// Two atoms closer than TOOCLOSE fail the molecule, named by their lines in
// file name, unless both are alternate locations.
int findbonds(const inmolecule &m, const std::string &name, bondlist &bonds, problem &p);

// findbonds for molecules known to pass.
bondlist allbonds(const inmolecule &m);

} // namespace importer
