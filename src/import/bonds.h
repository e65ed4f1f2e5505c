// Bonds from distances, and the bond list of a molecule made whole.
#pragma once

#include <utility>
#include <vector>

#include "molecule.h"

namespace importer {

// Two atoms are bonded when their distance lies above 0.40 and below the
// sum of their covalent radii plus 0.45 (Angstrom): the rule most chemistry
// programs apply to files without bonds.
bool bonded(const inatom &a, const inatom &b);

// The molecule's bonds, each once as (lower index, higher index), in
// increasing order: those the file lists plus, where the molecule asks for
// it, those found from distances.
std::vector<std::pair<int, int>> allbonds(const inmolecule &m);

} // namespace importer
