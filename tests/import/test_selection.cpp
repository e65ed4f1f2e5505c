// Choosing what of a protein file becomes the figure: the blank chain,
// residue ranges and the ligands, on a made-up fragment whose ligand and
// waters stand in the blank chain, as in many Protein Data Bank entries.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "importtest.h"
#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

struct pdbatom {
    const char *record, *name, *residue;
    char chain;
    int number;
    char icode;
    const char *element;
};

// PDB text of the atoms, each 1.5 A from the one before along X, chain
// after chain 20 A apart: bonds within a chain's run, none between them.
std::string pdbof(const std::vector<pdbatom> &atoms)
{
    std::string pdb;
    char line[100];
    int serial = 0;
    char chain = 0;
    double x = 0, y = -20;
    for (const pdbatom &a : atoms) {
        if (a.chain != chain) {
            chain = a.chain;
            x = 0;
            y += 20;
        }
        std::snprintf(line, sizeof line,
                      "%-6s%5d %-4s %3s %c%4d%c   %8.3f%8.3f%8.3f  1.00  0.00          %2s\n", a.record,
                      ++serial, a.name, a.residue, a.chain, a.number, a.icode, x, y, 0.0, a.element);
        pdb += line;
        x += 1.5;
    }
    return pdb + "END\n";
}

// A protein fragment: chains A and B of `residues` residues of five atoms
// each (numbered from 1; residue 3 of A has an insertion 3A), a ligand LIG
// of six atoms, HETATM in the blank chain, numbered 478, and two waters
// there too.
std::vector<pdbatom> fragment(int residues)
{
    std::vector<pdbatom> atoms;
    for (char chain : {'A', 'B'})
        for (int r = 1; r <= residues; r++) {
            for (char icode : {' ', 'A'}) {
                if (icode == 'A' && !(chain == 'A' && r == 3))
                    continue;
                for (const char *name : {" N", " CA", " C", " O", " H"})
                    atoms.push_back({"ATOM", name, "ALA", chain, r, icode, name[1] == 'C' ? "C" : name + 1});
            }
        }
    for (const char *name : {" C1", " C2", " C3", " N4", " C5", " O6"})
        atoms.push_back({"HETATM", name, "LIG", ' ', 478, ' ',
                         name[1] == 'C'   ? "C"
                         : name[1] == 'N' ? "N"
                                          : "O"});
    for (int w = 0; w < 2; w++)
        atoms.push_back({"HETATM", " O", "HOH", ' ', 501 + w, ' ', "O"});
    return atoms;
}

struct result {
    int status;
    std::string out, err;
};

result run(std::vector<std::string> args, const std::string &input)
{
    args.push_back(input);
    std::ostringstream o, e;
    int status = runimport(args, "9.9.9", o, e);
    return {status, o.str(), e.str()};
}

// How many atoms a description declares.
std::string atomsin(const std::string &krx)
{
    int n = 0;
    for (const std::string &l : linesof(krx))
        n += l.compare(0, 5, "atom ") == 0 || l.compare(0, 7, "{ atom ") == 0;
    return std::to_string(n);
}

} // namespace

TEST(Selection, TheBlankChainIsWrittenAsADash)
{
    std::string dir = tempfolder(), in = dir + "/frag.pdb";
    writefile(in, pdbof(fragment(10)));
    // Chain A: 55 atoms; the blank chain: 6 ligand atoms and 2 waters.
    struct {
        const char *name;
        std::vector<std::string> args;
        int status;
        std::string out; // atoms written, or the message
    } cases[] = {
        {"dash_keeps_the_blank_chain", {"--chain", "-"}, 0, "8"},
        {"blank_value_is_the_blank_chain_too", {"--chain", " "}, 0, "8"},
        {"with_a_named_chain", {"--chain", "A", "--chain=-"}, 0, "63"},
        {"unknown_chain_lists_the_blank_one_as_a_dash",
         {"--chain", "Q"},
         1,
         "kestrix-import: no such chain: " + in + " has no chain Q (its chains: -, A, B)\n"},
    };
    for (const auto &c : cases) {
        result r = run(c.args, in);
        std::string out = dir + "/frag.krx";
        ASSERT_EQ(r.status, c.status) << c.name << ": " << r.err;
        if (c.status == 0)
            EXPECT_EQ(atomsin(readfile(out)), c.out) << c.name;
        else
            EXPECT_EQ(r.err, c.out) << c.name;
        std::remove(out.c_str());
    }
}

TEST(Selection, OverTheLimitTheBlankChainIsOfferedAsADash)
{
    std::string dir = tempfolder(), in = dir + "/big.pdb";
    writefile(in, pdbof(fragment(110)));
    result r = run({}, in);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: too many atoms: " + in +
                         " has 1113 atoms, a figure takes at most 1024; --no-hydrogens leaves out its 221 "
                         "hydrogen atoms; --no-water leaves out its 2 water atoms (1111 remain, still too "
                         "many); --chain ID keeps one chain: - (8 atoms), A (555 atoms), B (550 atoms)\n");
}

TEST(Selection, ADashIsNoChainWhereTheFormatHasNone)
{
    std::string dir = tempfolder(), in = dir + "/water.xyz";
    writefile(in, readfile(sample("water.xyz")));
    result r = run({"--chain", "-"}, in);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: no such chain: " + in + " has no chain - (it gives no chains)\n");
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"water.xyz"}));
}

TEST(Selection, ResidueRangesAndLigands)
{
    std::string dir = tempfolder(), in = dir + "/frag.pdb";
    writefile(in, pdbof(fragment(10)));
    struct {
        const char *name;
        std::vector<std::string> args;
        int status;
        std::string out; // atoms written, or the message
    } cases[] = {
        {"range_of_every_chain", {"--residues", "1-2"}, 0, "20"},
        {"insertion_codes_within_the_range", {"--residues", "A:3-3"}, 0, "10"},
        {"one_number", {"--residues", "A:3"}, 0, "10"},
        {"ranges_add_up", {"--residues", "A:1-2", "--residues", "B:10-10"}, 0, "15"},
        {"blank_chain_range", {"--residues=-:478-478"}, 0, "6"},
        {"chain_and_range_both_apply", {"--chain", "A", "--residues", "10-10"}, 0, "5"},
        {"ligands_alone_no_water", {"--ligands"}, 0, "6"},
        {"ligands_whatever_their_chain", {"--chain", "B", "--ligands"}, 0, "56"},
        {"ligands_and_a_range_without_hydrogen",
         {"--residues", "A:1-1", "--ligands", "--no-hydrogens"},
         0,
         "10"},
        {"range_backwards",
         {"--residues", "5-2"},
         2,
         "kestrix-import: bad value: --residues 5-2 (FROM-TO or CHAIN:FROM-TO, residue numbers, FROM not "
         "above TO)\nkestrix-import: usage: see kestrix-import --help\n"},
        {"range_of_an_unknown_chain",
         {"--residues", "Q:1-2"},
         1,
         "kestrix-import: no such chain: " + in + " has no chain Q (its chains: -, A, B)\n"},
        {"range_of_no_residue",
         {"--residues", "900-901"},
         1,
         "kestrix-import: no atoms: " + in +
             ": no atom is left after --residues (its residues: -:478-502, A:1-10, B:1-10)\n"},
        {"chain_and_range_that_do_not_meet",
         {"--chain", "A", "--residues", "B:1-5"},
         1,
         "kestrix-import: no atoms: " + in +
             ": no atom is left after --chain, --residues (its residues: -:478-502, A:1-10, B:1-10)\n"},
    };
    for (const auto &c : cases) {
        result r = run(c.args, in);
        std::string out = dir + "/frag.krx";
        ASSERT_EQ(r.status, c.status) << c.name << ": " << r.err;
        if (c.status == 0)
            EXPECT_EQ(atomsin(readfile(out)), c.out) << c.name;
        else
            EXPECT_EQ(r.err, c.out) << c.name;
        std::remove(out.c_str());
    }
}

TEST(Selection, LigandsOfAFileWithoutAny)
{
    std::string dir = tempfolder(), in = dir + "/frag.pdb";
    std::vector<pdbatom> atoms = fragment(2);
    atoms.resize(atoms.size() - 8);
    writefile(in, pdbof(atoms));
    result r = run({"--ligands"}, in);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: no atoms: " + in +
                         ": no atom is left after --ligands (it has no ligands, HETATM residues other than "
                         "water)\n");
}

TEST(Selection, OverTheLimitARangeThatFitsIsOfferedAndFits)
{
    std::string dir = tempfolder(), in = dir + "/big.pdb";
    writefile(in, pdbof(fragment(250)));
    result r = run({"--chain", "A", "--chain", "-"}, in);
    EXPECT_EQ(r.status, 1);
    // Residue 3 of A has ten atoms with its insertion, the others five.
    EXPECT_EQ(r.err, "kestrix-import: too many atoms: " + in +
                         " has 1263 atoms selected, a figure takes at most 1024; --no-hydrogens leaves out "
                         "its 251 hydrogen atoms; --no-water leaves out its 2 water atoms (1261 remain, "
                         "still too many); --residues [CHAIN:]FROM-TO keeps residues by number: A:1-203 "
                         "(1020 atoms)\n");
    // What the message counts is what the selection keeps.
    r = run({"--residues", "A:1-203"}, in);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(atomsin(readfile(dir + "/big.krx")), "1020");
    std::remove((dir + "/big.krx").c_str());
    r = run({}, in);
    EXPECT_NE(r.err.find("--residues [CHAIN:]FROM-TO keeps residues by number: A:1-203 (1020 atoms), "
                         "B:1-204 (1020 atoms)\n"),
              std::string::npos)
        << r.err;
}
