// The whole program but its entry: options, one import per input, messages
// as "kestrix-import: WHAT: DETAIL" on err, the exit status as result.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "import/options.h"

namespace importer {

enum { EXIT_IMPORTED = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

// args without the program name. One batch of outputs (beginbatch, then
// endbatch): a later input's output cannot replace an earlier one's.
int runimport(const std::vector<std::string> &args, const std::string &version, std::ostream &out,
              std::ostream &err);

// One input to one description. 1 on success; on failure nothing is written.
// Every failure, warning and report goes to tell, as it arises.
int importfile(const std::string &input, const std::string &output, const options &o,
               const std::string &version, problemsink tell, void *to);

// The same, the description written into an open stream instead of a file:
// for a front end that converts a molecule file straight away, leaving no
// description behind. Nothing is said of a written file.
int importinto(const std::string &input, std::FILE *into, const options &o, const std::string &version,
               problemsink tell, void *to);

// true when input's suffix names a molecule format (.pdb, .sdf, .cif.gz...),
// whether or not this build reads it (the import then says why not).
bool moleculefile(const std::string &input);

// The description kestrix-import writes for input by default: x.cif.gz
// gives x.krx.
std::string descriptionname(const std::string &input);

} // namespace importer
