#include "import/run.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <new>

#include "import/bonds.h"
#include "import/krx.h"
#include "model/model.h"
#include "base/printable.h"
#include "base/nocase.h"
#include "import/output.h"
#include "import/readers.h"
#include "import/select.h"
#include "import/text.h"
#include "import/tree.h"
#include "platform/folders.h"
#include "platform/outfile.h"

namespace importer {

namespace {

// The console's sink: failures and warnings on one stream, reports on the
// other, each as "kestrix-import: WHAT: DETAIL".
struct streams {
    std::ostream &out, &err;
};

void tellstreams(void *to, const problem &p)
{
    streams &s = *static_cast<streams *>(to);
    (p.type & KMB_ICONWARNING ? s.err : s.out) << "kestrix-import: " << (p.nonfatal ? "warning: " : "")
                                               << p.what << ": " << printable(p.detail) << "\n";
}

// The input's file name as it may stand in a comment line.
std::string shownname(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.size() > 100)
        base = base.substr(0, 100) + "...";
    for (char &c : base)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = '?';
    return base;
}

bool samename(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && samenocasen(a.data(), b.data(), a.size());
}

} // namespace

namespace {

std::string chainlist(const inmolecule &m)
{
    std::string list;
    for (const auto &c : m.census)
        list += (list.empty() ? "" : ", ") + chainshown(c.first);
    return list;
}

// The residue numbers each chain runs from and to: "-: 478-502, A: 1-99".
std::string residuelist(const inmolecule &m)
{
    std::string list;
    int shown = 0;
    for (auto it = m.residuecensus.begin(); it != m.residuecensus.end();) {
        auto last = it;
        for (auto next = it; next != m.residuecensus.end() && next->first.first == it->first.first; ++next)
            last = next;
        if (shown++ < 16)
            list += (list.empty() ? "" : ", ") + chainshown(it->first.first) + ":" +
                    std::to_string(it->first.second) + "-" + std::to_string(last->first.second);
        it = ++last;
    }
    return list + (shown > 16 ? ", ..." : "");
}

selection chosenby(const options &o)
{
    selection s;
    s.chains = o.chains;
    s.residues = o.residues;
    s.ligands = o.ligands;
    s.nohydrogens = o.nohydrogens;
    s.nowater = o.nowater;
    return s;
}

// For each chain that does not fit on its own, the residues from its first
// that do: "A:4-67 (1019 atoms)".
std::string fittingranges(const inmolecule &m, const selection &s)
{
    std::string ranges;
    int shown = 0;
    for (const auto &c : m.census) {
        bool chain = s.chains.empty();
        for (const std::string &id : s.chains)
            chain = chain || id == c.first;
        if (!chain || keptof(c.second, s) <= MAXATOMS)
            continue;
        long n = 0, from = 0, to = 0;
        bool first = true;
        for (auto it = m.residuecensus.lower_bound({c.first, LONG_MIN});
             it != m.residuecensus.end() && it->first.first == c.first; ++it) {
            long k = keptof(it->second, s);
            if (n + k > MAXATOMS)
                break;
            if (first)
                from = it->first.second;
            first = false;
            to = it->first.second;
            n += k;
        }
        if (!first && n > 0 && shown++ < 8)
            ranges += (ranges.empty() ? "" : ", ") + (m.census.size() > 1 ? chainshown(c.first) + ":" : "") +
                      std::to_string(from) + "-" + std::to_string(to) + " (" + std::to_string(n) + " atoms)";
    }
    return ranges;
}

// What would bring an over-limit file within the limit: the options not
// given yet that leave atoms out, what each leaves, and the chains that fit
// on their own.
std::string suggestions(const inmolecule &m, const options &o)
{
    selection s = chosenby(o);
    long now = keptby(m, s);
    std::vector<std::string> tips;
    auto remain = [](long n) {
        return n > MAXATOMS ? " (" + std::to_string(n) + " remain, still too many)" : std::string();
    };
    selection h = s, w = s, hw = s;
    h.nohydrogens = hw.nohydrogens = true;
    w.nowater = hw.nowater = true;
    long nh = keptby(m, h), nw = keptby(m, w), nhw = keptby(m, hw);
    if (!s.nohydrogens && nh < now)
        tips.push_back("--no-hydrogens leaves out its " + std::to_string(now - nh) + " hydrogen atoms" +
                       remain(nh));
    if (!s.nowater && nw < now)
        tips.push_back("--no-water leaves out its " + std::to_string(now - nw) + " water atoms" + remain(nw));
    if (!s.nohydrogens && !s.nowater && nh < now && nw < now && nh > MAXATOMS && nw > MAXATOMS)
        tips.push_back("both leave " + std::to_string(nhw) + (nhw > MAXATOMS ? ", still too many" : ""));
    bool whole = s.residues.empty() && !s.ligands; // whole chains are chosen
    if (whole && s.chains.empty() && m.census.size() > 1) {
        std::string chains;
        int shown = 0;
        for (const auto &c : m.census) {
            // One chain's atoms as keptby counts them, without a pass over
            // every chain for each.
            long n = keptof(c.second, s);
            if (n > 0 && n <= MAXATOMS && shown++ < 8)
                chains +=
                    (chains.empty() ? "" : ", ") + chainshown(c.first) + " (" + std::to_string(n) + " atoms)";
        }
        if (!chains.empty())
            tips.push_back("--chain ID keeps one chain: " + chains);
    }
    std::string ranges = whole && m.residuecensus.size() > 1 ? fittingranges(m, s) : std::string();
    if (!ranges.empty())
        tips.push_back("--residues [CHAIN:]FROM-TO keeps residues by number: " + ranges);
    std::string text;
    for (const std::string &t : tips)
        text += "; " + t;
    return text;
}

// into, when given, takes the description instead of the file output (a
// front end converting the molecule straight away); output then only names
// the description in messages.
int importmolecule(const std::string &input, const std::string &output, std::FILE *into, const options &o,
                   const std::string &version, problemsink tell, void *to, problem &p)
{
    inputformat format = formatof(input);
    if (format == FORMAT_UNKNOWN || !canread(format))
        return fail(p, "unknown format",
                    input + (canread(FORMAT_CML)
                                 ? " (the suffix must be .xyz, .pdb, .ent, .cif, .mmcif, .mol, .sdf, .sd, "
                                   ".mol2 or .cml, each also with .gz)"
                                 : " (the suffix must be .xyz, .pdb, .ent, .cif, .mmcif, .mol, .sdf, .sd or "
                                   ".mol2, each also with .gz; this build reads no CML)"));
    if (!into && !o.force && nameinuse(output.c_str()))
        return fail(p, "output exists", output + " (use --force to replace it)");
    if (!into && samefile(input.c_str(), output.c_str()))
        return fail(p, "bad output", output + " is the input itself");

    selection sel = chosenby(o);
    sel.model = o.model;
    sel.limit = MAXATOMS;
    sel.framefrom = o.framefrom;
    sel.frameto = o.frameto;
    sel.framestep = o.framestep;
    inmolecule m;
    m.tell = tell;
    m.tellto = to;
    if (!readinput(input, m, sel, p))
        return 0;
    long frames = std::max(1L, m.framesseen);
    if (o.framesgiven && o.frameto > frames)
        return fail(p, "no such frame",
                    input + " has " + std::to_string(frames) + (frames == 1 ? " frame" : " frames") +
                        ", not " + std::to_string(o.frameto) + " (--frames " + std::to_string(o.framefrom) +
                        ":" + std::to_string(o.frameto) + ")");
    if (m.dummies > 0)
        m.warn(warning("dummy atoms", input + ": " + std::to_string(m.dummies) +
                                          (m.dummies == 1 ? " dummy atom (X, *, R#, Du, LP) is"
                                                          : " dummy atoms (X, *, R#, Du, LP) are") +
                                          " left out"));

    // Files without chains hold their atoms under the blank id too, which
    // is no chain there.
    bool chained = format == FORMAT_PDB || format == FORMAT_CIF;
    std::vector<std::string> named = o.chains;
    for (const residuerange &r : o.residues)
        if (!r.anychain)
            named.push_back(r.chain);
    for (const std::string &id : named)
        if (!m.census.count(id) || (id.empty() && !chained))
            return fail(p, "no such chain",
                        input + " has no chain " + chainshown(id) +
                            (m.census.size() == 1 && m.census.begin()->first.empty()
                                 ? " (it gives no chains)"
                                 : " (its chains: " + chainlist(m) + ")"));
    bool onlyhydrogen =
        m.census.size() == 1 && m.census.begin()->second.atoms == m.census.begin()->second.hydrogens;
    if (m.kept == 0 && o.nohydrogens && onlyhydrogen)
        return fail(p, "no atoms", input + " holds hydrogen atoms only, and --no-hydrogens leaves them out");
    if (m.kept == 0) {
        std::string left;
        if (o.nohydrogens)
            left += ", --no-hydrogens";
        if (o.nowater)
            left += ", --no-water";
        if (!o.chains.empty())
            left += ", --chain";
        if (!o.residues.empty())
            left += ", --residues";
        if (o.ligands)
            left += ", --ligands";
        // What the file has that these could have chosen.
        std::string has;
        long ligands = 0;
        for (const auto &c : m.census)
            ligands += c.second.ligands;
        if (!o.residues.empty())
            has = chained ? " (its residues: " + residuelist(m) + ")" : " (it gives no residues)";
        else if (o.ligands && ligands == 0)
            has = " (it has no ligands, HETATM residues other than water)";
        return fail(p, "no atoms",
                    input + ": no atom is left" +
                        (left.empty() ? std::string() : " after " + left.substr(2)) + has);
    }
    if (m.kept > MAXATOMS) {
        std::string detail = input + " has " + std::to_string(m.kept) + " atoms";
        if (o.nowater || !o.chains.empty() || !o.residues.empty() || o.ligands)
            detail += " selected";
        else if (o.nohydrogens)
            detail += " besides hydrogen";
        detail += ", a figure takes at most " + std::to_string(static_cast<int>(MAXATOMS));
        return fail(p, "too many atoms", detail + suggestions(m, o));
    }

    std::vector<std::pair<int, int>> bonds;
    if (!findbonds(m, input, bonds, p))
        return 0;
    std::vector<std::string> names = atomnames(m);
    int root = -1;
    if (!o.root.empty()) {
        for (size_t i = 0; i < names.size() && root < 0; i++)
            if (samename(names[i], o.root))
                root = static_cast<int>(i);
        if (root < 0)
            return fail(p, "no such atom",
                        o.root + " in " + input + " (atoms are named " + names[0] + ", " +
                            (names.size() > 1 ? names[1] + ", ..." : std::string("...")) + ")");
    }
    atomtree t;
    buildtree(m, bonds, root, t);

    krxsettings s;
    s.ballscale = o.ballscale;
    s.bondradius = o.bondradius;
    s.name = figurename(withoutgz(input));
    s.source = shownname(input);
    s.tool = "kestrix-import " + version;
    std::string text;
    if (!writekrx(m, bonds, t, s, text, p))
        return 0;
    if (into) {
        if (std::fwrite(text.data(), 1, text.size(), into) != text.size() || !writeframes(into, m, t) ||
            std::fflush(into) != 0)
            return fail(p, "cannot write", "the description made from " + input + " (a temporary file)");
    } else if (!writeoutput(output, text, o.force, p, [&](std::FILE *f) { return writeframes(f, m, t); })) {
        return 0;
    }

    if (!t.ringbonds.empty())
        m.warn(warning("ring bonds",
                       std::to_string(t.ringbonds.size()) +
                           (t.ringbonds.size() == 1
                                ? " bond closes a ring; only the glTF figure draws it; it is"
                                : " bonds close rings; only the glTF figure draws them; they are") +
                           " annotated in " + (into ? "the description made from " + input : output)));
    if (t.nparts > 1)
        m.warn(warning("several parts",
                       input + " holds " + std::to_string(t.nparts) +
                           " parts that no bond joins; each further part hangs from the root " +
                           names[t.root] + " by its atom nearest to it, a link that is no bond"));
    std::string wrote = output + " (" + std::to_string(m.atoms.size()) + " atoms, " +
                        std::to_string(bonds.size()) + " bonds, root " + names[t.root];
    if (!m.framenumbers.empty())
        wrote += ", " + std::to_string(m.framenumbers.size() + 1) + " frames";
    if (tell && !into)
        tell(to, report("wrote", wrote + ")"));
    return 1;
}

} // namespace

namespace {

int importguarded(const std::string &input, const std::string &output, std::FILE *into, const options &o,
                  const std::string &version, problemsink tell, void *to)
{
    problem p;
    int ok;
    // Memory is bounded for every format but the whole-text ones (mmCIF,
    // CML); a machine short of it ends this import, not the program.
    try {
        ok = importmolecule(input, output, into, o, version, tell, to, p);
    } catch (const std::bad_alloc &) {
        ok = fail(p, "out of memory", input + ": not enough memory to import it");
    }
    if (!ok && tell)
        tell(to, p);
    return ok;
}

} // namespace

int importfile(const std::string &input, const std::string &output, const options &o,
               const std::string &version, problemsink tell, void *to)
{
    return importguarded(input, output, nullptr, o, version, tell, to);
}

int importinto(const std::string &input, std::FILE *into, const options &o, const std::string &version,
               problemsink tell, void *to)
{
    return importguarded(input, defaultoutput(withoutgz(input)), into, o, version, tell, to);
}

bool moleculefile(const std::string &input) { return formatof(input) != FORMAT_UNKNOWN; }

std::string descriptionname(const std::string &input) { return defaultoutput(withoutgz(input)); }

int runimport(const std::vector<std::string> &args, const std::string &version, std::ostream &out,
              std::ostream &err)
{
    streams console{out, err};
    options o;
    problem p;
    if (!parseoptions(args, o, p)) {
        tellstreams(&console, p);
        tellstreams(&console, warning("usage", "see kestrix-import --help"));
        return EXIT_USAGE;
    }
    if (o.help) {
        out << USAGE;
        return EXIT_IMPORTED;
    }
    if (o.version) {
        out << "kestrix-import " << version << "\n";
        return EXIT_IMPORTED;
    }

    int status = EXIT_IMPORTED;
    // A second input must not silently replace the first one's result: the
    // outputs written stay claimed until every input is done.
    beginbatch();
    for (const std::string &input : o.inputs) {
        std::string output = o.output.empty() ? defaultoutput(withoutgz(input)) : o.output;
        int ok = 0;
        if (claimedoutput(output.c_str()))
            tellstreams(&console,
                        warning("output used twice", output + " is already the output of an earlier input"));
        else
            ok = importfile(input, output, o, version, tellstreams, &console);
        if (!ok)
            status = EXIT_FAILED;
    }
    endbatch();
    return status;
}

} // namespace importer
