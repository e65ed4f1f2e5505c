// What went wrong, in the two parts of every message the importer prints:
// "kestrix-import: WHAT: DETAIL".
#pragma once

#include <string>

namespace importer {

struct problem {
    std::string what;
    std::string detail;
};

// Fills p and returns 0, so that a failing step can end with one statement.
int fail(problem &p, const std::string &what, const std::string &detail);

} // namespace importer
