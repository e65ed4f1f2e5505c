#include "molecule.h"

#include "base/problem.h"
#include "text.h"

#include <cmath>

namespace importer {

bool coordinatesok(const inatom &a)
{
    return std::fabs(a.x) < MAXCOORDINATE && std::fabs(a.y) < MAXCOORDINATE && std::fabs(a.z) < MAXCOORDINATE;
}

} // namespace importer
