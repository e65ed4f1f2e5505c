// XYZ: an atom count, a comment line, then one "Element x y z" line per
// atom. Files often hold several frames (a trajectory or an optimisation);
// only the first is read.
#include "readers.h"

#include <cmath>

#include "text.h"

namespace importer {

int readXYZ(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p)
{
    m = inmolecule();
    m.perceive = 1;
    // Blank lines before the count are tolerated: some writers start with one.
    size_t first = 0;
    while (first < lines.size() && trim(lines[first]).empty())
        first++;
    if (first == lines.size())
        return fail(p, "no atoms", path);
    std::vector<std::string> w = words(lines[first]);
    long count = 0;
    if (!toint(w[0], count) || count < 0)
        return fail(p, "malformed line",
                    where(path, (int)first + 1) + ": the first line must give the atom count");
    if (count == 0)
        return fail(p, "no atoms", where(path, (int)first + 1) + ": the atom count is 0");
    if (first + 1 >= lines.size())
        return fail(p, "malformed line",
                    where(path, (int)first + 2) + ": the file ends before the comment line");
    for (long i = 0; i < count; i++) {
        size_t n = first + 2 + (size_t)i;
        int lineno = (int)n + 1;
        if (n >= lines.size())
            return fail(p, "malformed line",
                        where(path, lineno) + ": the file ends after " + std::to_string(i) +
                            " of the " + std::to_string(count) + " atoms its first line announces");
        w = words(lines[n]);
        if (w.size() < 4)
            return fail(p, "malformed line",
                        where(path, lineno) + ": expected \"Element x y z\"");
        inatom a;
        a.line = lineno;
        a.element = elementfield(w[0]);
        if (a.element == 0)
            return fail(p, "unknown element", where(path, lineno) + ": " + quoted(w[0]));
        if (!toreal(w[1], a.x) || !toreal(w[2], a.y) || !toreal(w[3], a.z))
            return fail(p, "malformed line",
                        where(path, lineno) + ": expected \"Element x y z\"");
        if (std::fabs(a.x) >= MAXCOORDINATE || std::fabs(a.y) >= MAXCOORDINATE ||
            std::fabs(a.z) >= MAXCOORDINATE)
            return fail(p, "coordinate out of range", where(path, lineno));
        m.atoms.push_back(a);
    }
    return 1;
}

} // namespace importer
