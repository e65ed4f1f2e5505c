// The command line of kestrix-import.
#pragma once

#include <string>
#include <vector>

#include "base/problem.h"
#include "import/select.h"

namespace importer {

struct options {
    std::string output; // -o; only with a single input
    std::string root;   // --root: an atom name as written (C3)
    double ballscale = 0.5;
    double bondradius = 0.08;
    std::vector<std::string> chains;    // --chain, repeatable
    std::vector<residuerange> residues; // --residues, repeatable
    bool ligands = false;               // --ligands
    long model = 0;                     // --model; 0: the first
    // --frames FROM:TO[:STEP]; framesgiven when given (TO 0: to the last).
    long framefrom = 1, frameto = 0, framestep = 1;
    bool framesgiven = false;
    bool nohydrogens = false;
    bool nowater = false;
    bool force = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> inputs;
};

extern const char *const USAGE;

// args without the program name. 0 on bad usage, with p saying why.
int parseoptions(const std::vector<std::string> &args, options &o, problem &p);

} // namespace importer
