// The whole program but its entry: options, one import per input, messages
// as "kestrix-import: WHAT: DETAIL" on err, the exit status as result.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "import/options.h"

namespace importer {

enum { EXIT_IMPORTED = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

// args without the program name.
int runimport(const std::vector<std::string> &args, const std::string &version, std::ostream &out,
              std::ostream &err);

// One input to one description. 1 on success; on failure nothing is written.
// Every failure, warning and report goes to tell, as it arises.
int importfile(const std::string &input, const std::string &output, const options &o,
               const std::string &version, problemsink tell, void *to);

} // namespace importer
