// The periodic table as the importer needs it: symbols, covalent radii for
// bond perception and ball sizes, and display colours.
#pragma once

#include <string>

namespace importer {

enum { LASTELEMENT = 118 };

struct elementinfo {
    const char *symbol;  // conventional case: "C", "Cl"
    double covalent;     // Angstrom
    unsigned char red, green, blue;
};

// Atomic number of a symbol given in any case ("CL", "cl", "Cl"), or 0 when
// no element has that symbol.
int elementnumber(const std::string &symbol);

// Data of atomic number z, 1 to LASTELEMENT.
const elementinfo &element_of(int z);

} // namespace importer
