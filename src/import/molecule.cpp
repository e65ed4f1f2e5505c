#include "molecule.h"

#include "problem.h"
#include "text.h"

#include <cmath>

namespace importer {

bool coordinatesok(const inatom &a)
{
    return std::fabs(a.x) < MAXCOORDINATE && std::fabs(a.y) < MAXCOORDINATE && std::fabs(a.z) < MAXCOORDINATE;
}

int fail(problem &p, const std::string &what, const std::string &detail)
{
    p.what = what;
    p.detail = detail;
    return 0;
}

} // namespace importer
