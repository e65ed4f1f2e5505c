#include "molecule.h"

#include "problem.h"

namespace importer {

int fail(problem &p, const std::string &what, const std::string &detail)
{
    p.what = what;
    p.detail = detail;
    return 0;
}

} // namespace importer
