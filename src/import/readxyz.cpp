// XYZ: an atom count, a comment line, then one "Element x y z" line per
// atom. Files often hold several frames (a trajectory or an optimisation):
// every frame is read, or the one --model chooses. An extended XYZ comment
// line (key=value pairs) may say in Properties= which columns hold the
// element and the position.
#include "import/readers.h"

#include <algorithm>
#include <cmath>

#include "import/text.h"

namespace importer {

namespace {

// The columns of the element and of x (y and z follow it).
struct columns {
    size_t species = 0, pos = 1;
};

// Properties=name:type:count:name:type:count... of an extended XYZ comment
// line; the plain columns when it has none, or no species and pos in it.
columns columnsof(const std::string &comment)
{
    columns c;
    size_t at = comment.find("Properties=");
    if (at == std::string::npos || (at > 0 && comment[at - 1] != ' ' && comment[at - 1] != '\t'))
        return c;
    std::string value = comment.substr(at + 11);
    value = value.substr(0, value.find_first_of(" \t"));
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); i++)
        if (i == value.size() || value[i] == ':') {
            f.push_back(value.substr(start, i - start));
            start = i + 1;
        }
    size_t column = 0;
    bool species = false, pos = false;
    for (size_t i = 0; i + 2 < f.size(); i += 3) {
        long count = 0;
        if (!tocount(f[i + 2], count) || count < 1)
            return columns();
        if (f[i] == "species") {
            c.species = column;
            species = true;
        } else if (f[i] == "pos" && count == 3) {
            c.pos = column;
            pos = true;
        }
        column += static_cast<size_t>(count);
    }
    return species && pos ? c : columns();
}

} // namespace

int readXYZ(linesource &in, collector &c, problem &p)
{
    inmolecule &m = c.molecule();
    m.perceive = 1;
    const long model = c.chosen().model;
    const long want = model > 0 ? model : 1;
    bool any_taken = false;
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
            if (model == 0 && any_taken)
                return 1;
            return fail(p, "no such model",
                        in.name() + " has " + std::to_string(frame - 1) +
                            (frame == 2 ? " frame" : " frames") + ", not " + std::to_string(want));
        }
        const int countline = in.lineno();
        std::vector<std::string> w = words(line);
        long count = 0;
        if (!tocount(w[0], count) || count < 0)
            return malformed(p, in, in.lineno(),
                             frame == 1 ? "the first line must give the atom count"
                                        : "the first line of frame " + std::to_string(frame) +
                                              " must give its atom count");
        bool taken = model > 0 ? frame == model : c.frame(frame);
        bool further = taken && model == 0 && !c.atomsfrom(frame);
        if (count == 0 && taken && !further)
            return fail(p, "no atoms", where(in.name(), in.lineno()) + ": the atom count is 0");
        if (!in.next(line))
            return sourceok(in, p) &&
                   malformed(p, in, in.lineno() + 1, "the file ends before the comment line");
        const columns col = columnsof(line);
        if (further)
            c.beginframe(frame, countline);
        for (long i = 0; i < count; i++) {
            if (!in.next(line)) {
                if (!sourceok(in, p))
                    return 0;
                return malformed(p, in, in.lineno() + 1,
                                 "the file ends after " + std::to_string(i) + " of the " +
                                     std::to_string(count) + " atoms its first line announces" +
                                     (frame > 1 ? " (frame " + std::to_string(frame) + ")" : ""));
            }
            if (!taken)
                continue;
            words(line, w);
            if (w.size() < std::max(col.species + 1, col.pos + 3))
                return malformed(p, in, in.lineno(), "expected \"Element x y z\"");
            inatom a;
            a.line = in.lineno();
            symbolread e = elementfield(w[col.species]);
            if (e.kind == symbolread::NONE)
                return fail(p, "unknown element",
                            where(in.name(), in.lineno()) + ": " + quoted(w[col.species]));
            if (!toreal(w[col.pos], a.x) || !toreal(w[col.pos + 1], a.y) || !toreal(w[col.pos + 2], a.z))
                return malformed(p, in, in.lineno(), "expected \"Element x y z\"");
            if (!coordinatesok(a))
                return fail(p, "coordinate out of range", where(in.name(), in.lineno()));
            c.add(a, e, "", "");
        }
        if (further && !c.endframe(in.name(), in.lineno(), p))
            return 0;
        any_taken = any_taken || taken;
        if (model > 0 && frame == want)
            return 1;
    }
}

} // namespace importer
