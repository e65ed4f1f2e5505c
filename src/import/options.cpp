#include "import/options.h"

#include "import/text.h"

#include "base/nocase.h"

namespace importer {

const char *const USAGE =
    "usage: kestrix-import [-o OUT.krx] [--root ATOM] [--ball-scale F] [--bondradius R]\n"
    "                      [--chain ID]... [--residues [CHAIN:]FROM-TO]...\n"
    "                      [--ligands] [--model N | --frames FROM:TO[:STEP]]\n"
    "                      [--no-water] [--no-hydrogens]\n"
    "                      [--force] INPUT...\n"
    "\n"
#ifdef KESTRIX_NO_CML
    "Turns XYZ, PDB, mmCIF, MOL/SDF and MOL2 files into kestrix descriptions (.krx)\n"
#else
    "Turns XYZ, PDB, mmCIF, MOL/SDF, MOL2 and CML files into kestrix descriptions (.krx)\n"
#endif
    "whose atom tree follows the molecule's bonds; convert them with kestrix-cli.\n"
    "\n"
    "  -o OUT.krx        write to OUT.krx (one INPUT only); default: INPUT's name\n"
    "                    with the suffix .krx, beside it\n"
    "  --root ATOM       start the tree at ATOM (a name as written: C3, O1);\n"
    "                    default: the centre of the bond graph\n"
    "  --ball-scale F    ball radius = F x covalent radius (default 0.5)\n"
    "  --bondradius R    bond radius (default 0.08; 0 draws no bonds)\n"
    "  --chain ID        only chain ID (PDB, mmCIF; - for the blank chain; repeat\n"
    "                    for several chains)\n"
    "  --residues [CHAIN:]FROM-TO  only residues numbered FROM to TO (PDB, mmCIF),\n"
    "                    of CHAIN or of every chain; repeatable\n"
    "  --ligands         keep the ligands (HETATM residues but water) whatever\n"
    "                    their chain; alone, only them\n"
#ifdef KESTRIX_NO_CML
    "  --model N         model N (PDB, mmCIF), or the Nth record, molecule or frame\n"
    "                    (SDF, MOL2, XYZ); default: every frame of the same\n"
#else
    "  --model N         model N (PDB, mmCIF), or the Nth record, molecule or frame\n"
    "                    (SDF, MOL2, CML, XYZ); default: every frame of the same\n"
#endif
    "                    atoms, the first as the atoms and the rest as frames\n"
    "  --frames FROM:TO[:STEP]  frames FROM to TO (from 1, both included), every\n"
    "                    STEPth; the first of them becomes the atoms\n"
    "  --no-water        leave water out (residues HOH, WAT, DOD, SOL, ...)\n"
    "  --no-hydrogens    leave hydrogen atoms out\n"
    "  --force           replace an existing output file\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Input formats by suffix, in any case: .xyz; .pdb, .ent; .cif, .mmcif;\n"
#ifdef KESTRIX_NO_CML
    "  .mol, .sdf, .sd; .mol2; each also compressed with gzip (.pdb.gz, .cif.gz, ...).\n"
    "  CML is not read by this Windows build (no XML library for it).\n"
#else
    "  .mol, .sdf, .sd; .mol2; .cml; each also compressed with gzip (.pdb.gz, ...).\n"
#endif
    "Exit status: 0 all imported, 1 a file could not be imported, 2 bad usage.\n";

namespace {

// "--name VALUE" or "--name=VALUE".
int value(const std::vector<std::string> &args, size_t &i, const std::string &name, std::string &v,
          problem &p)
{
    const std::string &a = args[i];
    if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
        v = a.substr(name.size() + 1);
        return 1;
    }
    if (i + 1 >= args.size())
        return fail(p, "missing value", a + " needs a value");
    // "-o --help" is a forgotten value far more often than a file named
    // "--help": such a value must be written "-o=--help".
    const std::string &next = args[i + 1];
    if (next.size() > 1 && next[0] == '-')
        return fail(p, "missing value",
                    a + " needs a value (write " + a + "=" + next + " for a value that starts with -)");
    v = args[++i];
    return 1;
}

// A chain id as --chain takes it, made the id as the file holds it: "-",
// or blanks alone, stand for the blank id, which readers keep as "".
bool chainvalue(std::string &v)
{
    if (!v.empty() && v.find_first_not_of(' ') == std::string::npos)
        v = "-";
    if (v == "-") {
        v.clear();
        return true;
    }
    return !v.empty() && v.size() <= 4 && v.find_first_of(" \t") == std::string::npos;
}

// "[CHAIN:]FROM-TO" or "[CHAIN:]N"; numbers may be negative, as residue
// numbers of some files are.
bool rangevalue(std::string v, residuerange &r)
{
    size_t colon = v.find(':');
    r = residuerange();
    if (colon != std::string::npos) {
        r.anychain = false;
        r.chain = v.substr(0, colon);
        if (!chainvalue(r.chain))
            return false;
        v = v.substr(colon + 1);
    }
    size_t dash = v.find('-', 1);
    if (dash == std::string::npos)
        return toint(v, r.from) && toint(v, r.to);
    return toint(v.substr(0, dash), r.from) && toint(v.substr(dash + 1), r.to) && r.from <= r.to;
}

bool is(const std::string &arg, const std::string &name)
{
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

} // namespace

int parseoptions(const std::vector<std::string> &args, options &o, problem &p)
{
    o = options();
    bool outputgiven = false;
    bool endofoptions = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &a = args[i];
        std::string v;
        if (endofoptions || a.empty() || a[0] != '-' || a == "-") {
            o.inputs.push_back(a);
        } else if (a == "--") {
            endofoptions = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--no-hydrogens") {
            o.nohydrogens = true;
        } else if (a == "--no-water") {
            o.nowater = true;
        } else if (is(a, "--chain")) {
            if (!value(args, i, "--chain", v, p))
                return 0;
            if (!chainvalue(v))
                return fail(p, "bad value",
                            "--chain " + v +
                                " (a chain id as the file gives it: A, B, ..., - for the blank one)");
            o.chains.push_back(v);
        } else if (is(a, "--residues")) {
            if (!value(args, i, "--residues", v, p))
                return 0;
            residuerange r;
            if (!rangevalue(v, r))
                return fail(p, "bad value",
                            "--residues " + v +
                                " (FROM-TO or CHAIN:FROM-TO, residue numbers, FROM not above TO)");
            o.residues.push_back(r);
        } else if (a == "--ligands") {
            o.ligands = true;
        } else if (is(a, "--model")) {
            if (!value(args, i, "--model", v, p))
                return 0;
            if (!toint(v, o.model) || o.model < 1)
                return fail(p, "bad value", "--model " + v + " (a model number from 1)");
        } else if (is(a, "--frames")) {
            if (!value(args, i, "--frames", v, p))
                return 0;
            size_t c1 = v.find(':'), c2 = c1 == std::string::npos ? c1 : v.find(':', c1 + 1);
            bool ok = c1 != std::string::npos && toint(v.substr(0, c1), o.framefrom) &&
                      toint(v.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1),
                            o.frameto) &&
                      (c2 == std::string::npos || toint(v.substr(c2 + 1), o.framestep));
            if (!ok || o.framefrom < 1 || o.frameto < o.framefrom || o.framestep < 1)
                return fail(p, "bad value",
                            "--frames " + v + " (FROM:TO or FROM:TO:STEP, from 1, TO not below FROM)");
            o.framesgiven = true;
        } else if (a == "--force") {
            o.force = true;
        } else if (is(a, "-o")) {
            if (!value(args, i, "-o", v, p))
                return 0;
            if (v.empty())
                return fail(p, "bad value", "-o needs a file name");
            // kestrix-cli takes descriptions by their suffix only.
            if (!endsnocase(v.c_str(), ".krx"))
                v += ".krx";
            o.output = v;
            outputgiven = true;
        } else if (is(a, "--root")) {
            if (!value(args, i, "--root", v, p))
                return 0;
            if (v.empty())
                return fail(p, "bad value", "--root needs an atom name");
            o.root = v;
        } else if (is(a, "--ball-scale")) {
            if (!value(args, i, "--ball-scale", v, p))
                return 0;
            if (!toreal(v, o.ballscale) || !(o.ballscale > 0) || o.ballscale > 1000)
                return fail(p, "bad value", "--ball-scale " + v + " (a number above 0, at most 1000)");
        } else if (is(a, "--bondradius")) {
            if (!value(args, i, "--bondradius", v, p))
                return 0;
            if (!toreal(v, o.bondradius) || o.bondradius < 0 || o.bondradius > 1000)
                return fail(p, "bad value", "--bondradius " + v + " (a number from 0 to 1000)");
            if (o.bondradius == 0)
                o.bondradius = 0; // "-0" draws no bonds all the same
        } else {
            return fail(p, "unknown option", a);
        }
    }
    if (o.help || o.version)
        return 1;
    if (o.inputs.empty())
#ifdef KESTRIX_NO_CML
        return fail(p, "no input", "name at least one molecule file (XYZ, PDB, mmCIF, MOL/SDF, MOL2)");
#else
        return fail(p, "no input", "name at least one molecule file (XYZ, PDB, mmCIF, MOL/SDF, MOL2, CML)");
#endif
    if (o.framesgiven && o.model > 0)
        return fail(p, "bad usage", "--model keeps one model; --frames does not go with it");
    if (outputgiven && o.inputs.size() > 1)
        return fail(p, "bad usage",
                    "-o takes a single input, " + std::to_string(o.inputs.size()) + " are given");
    return 1;
}

} // namespace importer
