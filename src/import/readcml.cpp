// CML (Chemical Markup Language): the first molecule that has atoms (or the
// one --model chooses), its atoms with x3/y3/z3 (or, flat, x2/y2), and its
// bonds from bondArray; a molecule without bonds gets them from distances.
// Both the element form (<atom id= elementType= x3= .../>) and the array
// form (<atomArray atomID="a1 a2" elementType="C O" x3="..." .../>) are
// read. The XML is parsed whole by pugixml, so this reader holds the file in
// memory, unlike the line readers.
#include "import/readers.h"

#ifdef KESTRIX_NO_CML

namespace importer {

bool canread(inputformat f) { return f != FORMAT_CML; }

int readCML(linesource &in, collector &, problem &p)
{
    return fail(p, "unknown format", in.name() + " (CML is not read by this build)");
}

} // namespace importer

#else

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include <pugixml.hpp>

#include "import/elements.h"
#include "import/text.h"

namespace importer {

bool canread(inputformat) { return true; }

namespace {

// An element's name without its namespace prefix ("cml:atom" is "atom").
const char *local(const pugi::xml_node &n)
{
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool is(const pugi::xml_node &n, const char *name)
{
    return n.type() == pugi::node_element && std::strcmp(local(n), name) == 0;
}

// CML bond orders: "1", "2", "3" and their letters "S", "D", "T", and "A"
// (aromatic); anything else is drawn single.
bondorder cmlorder(const std::string &order)
{
    if (order == "2" || order == "D" || order == "d")
        return ORDER_DOUBLE;
    if (order == "3" || order == "T" || order == "t")
        return ORDER_TRIPLE;
    if (order == "A" || order == "a")
        return ORDER_AROMATIC;
    return ORDER_SINGLE;
}

pugi::xml_node child(const pugi::xml_node &n, const char *name)
{
    for (pugi::xml_node c : n.children())
        if (is(c, name))
            return c;
    return pugi::xml_node();
}

// The text of the input without its blank lines (which mean nothing in XML
// between the elements, nor in CML's white-space separated lists), every
// line end as "\n", and the line numbers of its byte offsets, for messages:
// a file of megabytes of empty lines costs nothing to hold.
class squeezed {
public:
    int read(linesource &in)
    {
        const char *data;
        size_t n;
        while (in.piece(&data, &n))
            for (size_t i = 0; i < n; i++)
                take(data[i]);
        if (blank_ && text_.size() > start_)
            text_.resize(start_); // a blank last line, without its end
        return !in.failed();
    }
    std::string &text() { return text_; }
    int of(ptrdiff_t offset) const
    {
        size_t k = static_cast<size_t>(
            std::lower_bound(ends_.begin(), ends_.end(), static_cast<size_t>(offset)) - ends_.begin());
        auto gap = std::upper_bound(gaps_.begin(), gaps_.end(), std::make_pair(k, INT_MAX));
        return static_cast<int>(k) + 1 + (gap == gaps_.begin() ? 0 : (gap - 1)->second);
    }

private:
    void take(char ch)
    {
        // A line feed right after a carriage return ends no second line.
        if (aftercr_ && ch == '\n') {
            aftercr_ = false;
            return;
        }
        aftercr_ = ch == '\r';
        if (ch != '\n' && ch != '\r') {
            text_ += ch;
            blank_ = blank_ && (ch == ' ' || ch == '\t');
            return;
        }
        if (blank_) {
            // Dropped; later lines keep their numbers by the count of gaps.
            text_.resize(start_);
            skipped_++;
            if (gaps_.empty() || gaps_.back().first != ends_.size())
                gaps_.push_back({ends_.size(), skipped_});
            else
                gaps_.back().second = skipped_;
            return;
        }
        ends_.push_back(text_.size());
        text_ += '\n';
        start_ = text_.size();
        blank_ = true;
    }

    std::string text_;
    std::vector<size_t> ends_;                 // offsets of the kept lines' ends
    std::vector<std::pair<size_t, int>> gaps_; // kept lines before a gap, lines dropped so far
    size_t start_ = 0;                         // where the current line begins
    bool blank_ = true, aftercr_ = false;
    int skipped_ = 0;
};

// One atom as either form gives it.
struct cmlatom {
    std::string id, element, x, y, z;
    bool flat = false;
    int line = 0;
};

int readatoms(const pugi::xml_node &array, const squeezed &at, std::vector<cmlatom> &atoms,
              const std::string &name, problem &p)
{
    int arrayline = at.of(array.offset_debug());
    if (array.attribute("atomID") || array.attribute("elementType")) {
        std::vector<std::string> ids = words(array.attribute("atomID").value());
        std::vector<std::string> el = words(array.attribute("elementType").value());
        bool three = array.attribute("x3");
        std::vector<std::string> x = words(array.attribute(three ? "x3" : "x2").value());
        std::vector<std::string> y = words(array.attribute(three ? "y3" : "y2").value());
        std::vector<std::string> z = words(array.attribute("z3").value());
        if (el.size() != x.size() || el.size() != y.size() || (three && el.size() != z.size()) ||
            (!ids.empty() && ids.size() != el.size()))
            return fail(p, "malformed file",
                        where(name, arrayline) +
                            ": the atomArray's atomID, elementType and coordinate "
                            "lists differ in length");
        for (size_t i = 0; i < el.size(); i++) {
            cmlatom a;
            a.id = ids.empty() ? "a" + std::to_string(i + 1) : ids[i];
            a.element = el[i];
            a.x = x[i];
            a.y = y[i];
            a.z = three ? z[i] : "0";
            a.flat = !three;
            a.line = arrayline;
            atoms.push_back(a);
        }
        return 1;
    }
    for (pugi::xml_node n : array.children()) {
        if (!is(n, "atom"))
            continue;
        cmlatom a;
        a.line = at.of(n.offset_debug());
        a.id = n.attribute("id").value();
        a.element = n.attribute("elementType").value();
        if (n.attribute("x3")) {
            a.x = n.attribute("x3").value();
            a.y = n.attribute("y3").value();
            a.z = n.attribute("z3").value();
        } else if (n.attribute("x2")) {
            a.x = n.attribute("x2").value();
            a.y = n.attribute("y2").value();
            a.z = "0";
            a.flat = true;
        } else {
            return malformed(p, name, a.line, "an atom without coordinates (x3 y3 z3, or x2 y2)");
        }
        atoms.push_back(a);
    }
    return 1;
}

} // namespace

int readCML(linesource &in, collector &c, problem &p)
{
    inmolecule &m = c.molecule();
    squeezed at;
    if (!at.read(in))
        return sourceok(in, p);
    pugi::xml_document doc;
    // Parsed where it stands: no second copy of the text.
    std::string &text = at.text();
    pugi::xml_parse_result parsed = doc.load_buffer_inplace(&text[0], text.size());
    if (!parsed)
        return fail(p, "malformed file",
                    where(in.name(), at.of(parsed.offset)) + ": " + parsed.description());

    // Molecules that hold atoms, in document order.
    const long want = c.chosen().model > 0 ? c.chosen().model : 1;
    long found = 0;
    pugi::xml_node molecule;
    struct finder : pugi::xml_tree_walker {
        long want, *found;
        pugi::xml_node *molecule;
        bool for_each(pugi::xml_node &n) override
        {
            if (is(n, "molecule") && child(n, "atomArray") && ++*found == want) {
                *molecule = n;
                return false;
            }
            return true;
        }
    } walker;
    walker.want = want;
    walker.found = &found;
    walker.molecule = &molecule;
    doc.traverse(walker);
    if (!molecule) {
        if (found == 0)
            return fail(p, "no atoms", in.name() + ": no <molecule> with an <atomArray>");
        return fail(p, "no such model",
                    in.name() + " has " + std::to_string(found) + (found == 1 ? " molecule" : " molecules") +
                        ", not " + std::to_string(want));
    }

    std::vector<cmlatom> atoms;
    if (!readatoms(child(molecule, "atomArray"), at, atoms, in.name(), p))
        return 0;
    std::unordered_map<std::string, int> byid; // kept atoms
    std::unordered_map<std::string, char> known;
    int flat = 0;
    for (const cmlatom &ca : atoms) {
        inatom a;
        a.line = ca.line;
        if (!toreal(ca.x, a.x) || !toreal(ca.y, a.y) || !toreal(ca.z, a.z))
            return malformed(p, in.name(), ca.line, "coordinates must be numbers");
        if (!coordinatesok(a))
            return fail(p, "coordinate out of range", where(in.name(), ca.line));
        if (!known.emplace(ca.id, 1).second)
            return malformed(p, in.name(), ca.line, "atom id " + quoted(ca.id) + " given twice");
        symbolread e = readsymbol(ca.element);
        if (e.kind == symbolread::NONE)
            return fail(p, "unknown element",
                        where(in.name(), ca.line) + ": " + quoted(ca.element) + " is no element symbol");
        if (e.kind == symbolread::ELEMENT)
            flat += ca.flat;
        int k = c.add(a, e, "", "");
        if (k >= 0)
            byid.emplace(ca.id, k);
    }
    if (atoms.empty())
        return fail(p, "no atoms",
                    where(in.name(), at.of(molecule.offset_debug())) + ": the molecule's atomArray is empty");
    if (flat)
        m.warn(warning("flat molecule",
                       where(in.name(), atoms[0].line) +
                           ": the atoms have 2-D coordinates only (x2 y2); the figure is flat"));

    int nbonds = 0;
    pugi::xml_node bonds = child(molecule, "bondArray");
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<int> bondlines;
    std::vector<bondorder> orders;
    if (bonds && bonds.attribute("atomRef1")) {
        int line = at.of(bonds.offset_debug());
        std::vector<std::string> r1 = words(bonds.attribute("atomRef1").value());
        std::vector<std::string> r2 = words(bonds.attribute("atomRef2").value());
        if (r1.size() != r2.size())
            return malformed(p, in.name(), line, "atomRef1 and atomRef2 differ in length");
        // An order list that does not match the bonds says nothing sure
        // of any of them: they are drawn single.
        std::vector<std::string> o = words(bonds.attribute("order").value());
        for (size_t i = 0; i < r1.size(); i++) {
            pairs.push_back({r1[i], r2[i]});
            bondlines.push_back(line);
            orders.push_back(o.size() == r1.size() ? cmlorder(o[i]) : ORDER_SINGLE);
        }
    } else if (bonds) {
        for (pugi::xml_node b : bonds.children()) {
            if (!is(b, "bond"))
                continue;
            int line = at.of(b.offset_debug());
            std::vector<std::string> refs = words(b.attribute("atomRefs2").value());
            if (refs.size() != 2)
                return malformed(p, in.name(), line, "a bond needs atomRefs2=\"a1 a2\"");
            pairs.push_back({refs[0], refs[1]});
            bondlines.push_back(line);
            orders.push_back(cmlorder(b.attribute("order").value()));
        }
    }
    for (size_t i = 0; i < pairs.size(); i++) {
        if (!known.count(pairs[i].first) || !known.count(pairs[i].second) ||
            pairs[i].first == pairs[i].second)
            return malformed(p, in.name(), bondlines[i],
                             "a bond must join two different atoms of the atomArray");
        nbonds++;
        auto a = byid.find(pairs[i].first), b = byid.find(pairs[i].second);
        if (a != byid.end() && b != byid.end())
            c.bond(a->second, b->second, orders[i]);
    }
    m.perceive = nbonds == 0 && atoms.size() > 1;
    return 1;
}

} // namespace importer

#endif
