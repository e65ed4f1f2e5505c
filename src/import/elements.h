// The periodic table as the importer needs it: symbols, covalent radii for
// bond perception and ball sizes, and display colours.
#pragma once

#include <string>

namespace importer {

enum { LASTELEMENT = 118 };

struct elementinfo {
    const char *symbol; // conventional case: "C", "Cl"
    double covalent;    // Angstrom
    unsigned char red, green, blue;
};

// Atomic number of a symbol given in any case ("CL", "cl", "Cl"), or 0 when
// no element has that symbol.
int elementnumber(const std::string &symbol);

// What a symbol field of a file stands for: an element (D and T are
// hydrogen, with the letter kept), a dummy atom that no element is (X, Xx,
// *, R, R#, R1, Du, LP, Q, A, L: place holders, query atoms, lone pairs), or
// nothing known.
struct symbolread {
    enum { NONE, ELEMENT, DUMMY } kind = NONE;
    int z = 0;
    char isotope = 0; // 'D' or 'T'
};
symbolread readsymbol(const std::string &symbol);

// The most bonds an atom of element z has, for the check of bonds found
// from distances, and whether z is a metal (no bond between two metals is
// found from distances).
int maxbonds(int z);
bool ismetal(int z);

// Data of atomic number z, 1 to LASTELEMENT.
const elementinfo &element_of(int z);

} // namespace importer
