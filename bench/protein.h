// A made-up protein for the import benchmark: an alpha helix of alanines
// with every hydrogen, built from the textbook bond lengths, angles and
// backbone torsions, as the text of a PDB file.
#pragma once

#include <string>

// The PDB text of a helix of the given number of residues (10 atoms each);
// *atoms receives the number of ATOM records.
std::string proteinpdb(int residues, int *atoms);
