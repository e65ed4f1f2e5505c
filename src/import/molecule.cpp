#include "import/molecule.h"

#include "base/problem.h"
#include "import/text.h"

#include <cmath>

namespace importer {

bool coordinatesok(const inatom &a)
{
    return std::fabs(a.x) < MAXCOORDINATE && std::fabs(a.y) < MAXCOORDINATE && std::fabs(a.z) < MAXCOORDINATE;
}

double distance2(const inatom &a, const inatom &b)
{
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

} // namespace importer
