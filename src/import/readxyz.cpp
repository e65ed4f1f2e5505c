// XYZ: an atom count, a comment line, then one "Element x y z" line per
// atom. Files often hold several frames (a trajectory or an optimisation);
// the first is read, or the one --model chooses.
#include "readers.h"

#include <cmath>

#include "text.h"

namespace importer {

namespace {

int malformed(problem &p, const linesource &in, int lineno, const std::string &why)
{
    return fail(p, "malformed line", where(in.name(), lineno) + ": " + why);
}

} // namespace

int readXYZ(linesource &in, collector &c, problem &p)
{
    inmolecule &m = c.molecule();
    m.perceive = 1;
    const long want = c.chosen().model > 0 ? c.chosen().model : 1;
    std::string line;
    for (long frame = 1;; frame++) {
        // Blank lines before the count are tolerated: some writers start
        // with one, others put one between frames.
        bool any = false;
        while ((any = in.next(line)) && trim(line).empty()) {
        }
        if (!sourceok(in, p))
            return 0;
        if (!any) {
            if (frame == 1)
                return fail(p, "no atoms", in.name());
            return fail(p, "no such model",
                        in.name() + " has " + std::to_string(frame - 1) +
                            (frame == 2 ? " frame" : " frames") + ", not " + std::to_string(want));
        }
        std::vector<std::string> w = words(line);
        long count = 0;
        if (!tocount(w[0], count) || count < 0)
            return malformed(p, in, in.lineno(),
                             frame == 1 ? "the first line must give the atom count"
                                        : "the first line of frame " + std::to_string(frame) +
                                              " must give its atom count");
        if (count == 0 && frame == want)
            return fail(p, "no atoms", where(in.name(), in.lineno()) + ": the atom count is 0");
        if (!in.next(line))
            return sourceok(in, p) &&
                   malformed(p, in, in.lineno() + 1, "the file ends before the comment line");
        for (long i = 0; i < count; i++) {
            if (!in.next(line)) {
                if (!sourceok(in, p))
                    return 0;
                return malformed(p, in, in.lineno() + 1,
                                 "the file ends after " + std::to_string(i) + " of the " +
                                     std::to_string(count) + " atoms its first line announces");
            }
            if (frame != want)
                continue;
            w = words(line);
            if (w.size() < 4)
                return malformed(p, in, in.lineno(), "expected \"Element x y z\"");
            inatom a;
            a.line = in.lineno();
            symbolread e = elementfield(w[0]);
            if (e.kind == symbolread::NONE)
                return fail(p, "unknown element", where(in.name(), in.lineno()) + ": " + quoted(w[0]));
            if (!toreal(w[1], a.x) || !toreal(w[2], a.y) || !toreal(w[3], a.z))
                return malformed(p, in, in.lineno(), "expected \"Element x y z\"");
            if (!coordinatesok(a))
                return fail(p, "coordinate out of range", where(in.name(), in.lineno()));
            c.add(a, e, "", "");
        }
        if (frame == want)
            return 1;
    }
}

} // namespace importer
