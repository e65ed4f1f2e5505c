#include "run.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "bonds.h"
#include "krx.h"
#include "model/model.h"
#include "base/printable.h"
#include "output.h"
#include "readers.h"
#include "text.h"
#include "tree.h"

namespace importer {

namespace {

void say(std::ostream &s, const problem &p)
{
    s << "kestrix-import: " << p.what << ": " << printable(p.detail) << "\n";
}

// The input's file name as it may stand in a comment line.
std::string shownname(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.size() > 100)
        base = base.substr(0, 100) + "...";
    for (char &c : base)
        if ((unsigned char)c < 32 || c == 127)
            c = '?';
    return base;
}

bool samename(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

std::string canonical(const std::string &path)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::path(path), ec);
    if (ec)
        p = std::filesystem::absolute(std::filesystem::path(path), ec).lexically_normal();
    return p.string();
}

} // namespace

int importfile(const std::string &input, const std::string &output, const options &o,
               const std::string &version, std::ostream &out, std::ostream &err, problem &p)
{
    inputformat format = formatof(input);
    if (format == FORMAT_UNKNOWN)
        return fail(p, "unknown format",
                    input + " (the suffix must be .xyz, .pdb, .ent, .mol, .sdf or .sd)");
    if (!o.force && fileexists(output))
        return fail(p, "output exists", output + " (use --force to replace it)");
    if (canonical(input) == canonical(output))
        return fail(p, "bad output", output + " is the input itself");

    inmolecule m;
    if (!readinput(input, m, p))
        return 0;

    size_t hydrogens = (size_t)std::count_if(m.atoms.begin(), m.atoms.end(),
                                             [](const inatom &a) { return a.element == 1; });
    if (o.nohydrogens) {
        dropHydrogens(m);
        if (m.atoms.empty())
            return fail(p, "no atoms", input + " holds hydrogen atoms only, and --no-hydrogens leaves them out");
    }
    if (m.atoms.size() > (size_t)MAXATOMS) {
        std::string detail = input + " has " + std::to_string(m.atoms.size()) + " atoms";
        if (o.nohydrogens)
            detail += " besides hydrogen";
        detail += ", a figure takes at most " + std::to_string((int)MAXATOMS);
        if (!o.nohydrogens && hydrogens > 0)
            detail += "; --no-hydrogens leaves out its " + std::to_string(hydrogens) + " hydrogen atoms";
        return fail(p, "too many atoms", detail);
    }

    std::vector<std::pair<int, int>> bonds = allbonds(m);
    std::vector<std::string> names = atomnames(m);
    int root = -1;
    if (!o.root.empty()) {
        for (size_t i = 0; i < names.size() && root < 0; i++)
            if (samename(names[i], o.root))
                root = (int)i;
        if (root < 0)
            return fail(p, "no such atom", o.root + " in " + input + " (atoms are named " +
                                               names[0] + ", " +
                                               (names.size() > 1 ? names[1] + ", ..." : std::string("...")) +
                                               ")");
    }
    atomtree t;
    buildtree(m, bonds, root, t);

    krxsettings s;
    s.ballscale = o.ballscale;
    s.bondradius = o.bondradius;
    s.name = figurename(input);
    s.source = shownname(input);
    s.tool = "kestrix-import " + version;
    std::string text;
    if (!writekrx(m, bonds, t, s, text, p))
        return 0;
    if (!writeoutput(output, text, o.force, p))
        return 0;

    if (!t.ringbonds.empty())
        err << "kestrix-import: ring bonds: " << t.ringbonds.size()
            << (t.ringbonds.size() == 1 ? " bond closes a ring; only the glTF figure draws it; it is"
                                        : " bonds close rings; only the glTF figure draws them; they are")
            << " annotated in " << output << "\n";
    if (t.nparts > 1)
        err << "kestrix-import: several parts: " << input << " holds " << t.nparts
            << " parts that no bond joins; each further part hangs from the root " << names[t.root]
            << " by its atom nearest to it, a link that is no bond\n";
    out << "kestrix-import: wrote: " << output << " (" << m.atoms.size() << " atoms, "
        << bonds.size() << " bonds, root " << names[t.root] << ")\n";
    return 1;
}

int runimport(const std::vector<std::string> &args, const std::string &version, std::ostream &out,
              std::ostream &err)
{
    options o;
    problem p;
    if (!parseoptions(args, o, p)) {
        say(err, p);
        err << "kestrix-import: usage: see kestrix-import --help\n";
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
    std::set<std::string> written;
    for (const std::string &input : o.inputs) {
        std::string output = o.output.empty() ? defaultoutput(input) : o.output;
        problem q;
        int ok;
        // A second input must not silently replace the first one's result.
        if (written.count(canonical(output)))
            ok = fail(q, "output used twice", output + " is already the output of an earlier input");
        else
            ok = importfile(input, output, o, version, out, err, q);
        if (ok)
            written.insert(canonical(output));
        if (!ok) {
            say(err, q);
            status = EXIT_FAILED;
        }
    }
    return status;
}

} // namespace importer
