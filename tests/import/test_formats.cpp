// The formats beyond XYZ, PDB and MOL: MOL2, CML, mmCIF, gzip, old-style
// PDB columns, and the selection options over them.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "import/bonds.h"
#include "import/elements.h"
#include "importtest.h"
#include "import/krx.h"
#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

inmolecule readwith(const std::string &path, const selection &s, std::vector<problem> &told)
{
    inmolecule m;
    listen(m, told);
    problem p;
    EXPECT_EQ(readinput(path, m, s, p), 1) << p.what << ": " << p.detail;
    return m;
}

inmolecule readwith(const std::string &path, const selection &s)
{
    std::vector<problem> told;
    inmolecule m = readwith(path, s, told);
    m.tell = nullptr;
    return m;
}

std::string elementsof(const inmolecule &m)
{
    std::string s;
    for (const inatom &a : m.atoms)
        s += std::string(element_of(a.element).symbol) + (a.isotope ? std::string(1, a.isotope) : "") + " ";
    return s;
}

// The description without its first line, which names the input file.
std::string body(const std::string &krx) { return krx.substr(krx.find('\n') + 1); }

} // namespace

TEST(Formats, BySuffixInAnyCaseAlsoCompressed)
{
    struct {
        const char *path;
        inputformat f;
    } cases[] = {
        {"a.mol2", FORMAT_MOL2},     {"A.MOL2", FORMAT_MOL2},     {"1abc.cif", FORMAT_CIF},
        {"1abc.mmCIF", FORMAT_CIF},  {"c.cml", FORMAT_CML},       {"1abc.cif.gz", FORMAT_CIF},
        {"1ABC.PDB.GZ", FORMAT_PDB}, {"c.sdf.gz", FORMAT_MOL},    {"w.xyz.gz", FORMAT_XYZ},
        {"x.gz", FORMAT_UNKNOWN},    {"x.gz.gz", FORMAT_UNKNOWN}, {"x.txt.gz", FORMAT_UNKNOWN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatof(c.path), c.f) << c.path;
    EXPECT_EQ(withoutgz("dir/1abc.cif.GZ"), "dir/1abc.cif");
    EXPECT_EQ(withoutgz("dir/1abc.cif"), "dir/1abc.cif");
}

TEST(Formats, SamplesOfEachFormatWithTheirBonds)
{
    struct {
        const char *file;
        long model;
        std::string elements;
        bondlist bonds;
        int perceive;
        size_t warnings;
        long dummies;
    } cases[] = {
        // The lone pair is a dummy; its bond goes with it. The water after
        // it is another molecule: left out, with a warning.
        {"ethanol.mol2",
         0,
         "C C O H H H H H H ",
         {{0, 1}, {0, 3}, {0, 4}, {0, 5}, {1, 2}, {1, 6}, {1, 7}, {2, 8}},
         0,
         1,
         1},
        // The second molecule has no BOND section: bonds from distances.
        {"ethanol.mol2", 2, "O H H ", {{0, 1}, {0, 2}}, 1, 0, 0},
        {"water.cml", 0, "O H HD ", {{0, 1}, {0, 2}}, 0, 0, 0},
        {"methanol.cml", 1, "C O H H H H ", {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 5}}, 0, 0, 0},
        // Flat (x2 y2), no bonds: warned, and bonds from distances.
        {"methanol.cml", 2, "C O ", {{0, 1}}, 1, 1, 0},
        // Left-aligned hydrogen names of a HETATM group stay hydrogen,
        // CL1 is chlorine; columns 73-80 hold an entry id and line number.
        {"oldstyle.pdb",
         0,
         "N C C O O H C H H Cl ",
         {{0, 1}, {1, 2}, {2, 3}, {4, 5}, {4, 6}, {6, 7}, {6, 8}, {6, 9}},
         1,
         1,
         0},
    };
    for (const auto &c : cases) {
        selection s;
        s.model = c.model;
        std::vector<problem> told;
        inmolecule m = readwith(sample(c.file), s, told);
        EXPECT_EQ(elementsof(m), c.elements) << c.file << " " << c.model;
        EXPECT_EQ(allbonds(m), c.bonds) << c.file << " " << c.model;
        EXPECT_EQ(m.perceive, c.perceive) << c.file << " " << c.model;
        EXPECT_EQ(told.size(), c.warnings) << c.file << " " << c.model;
        EXPECT_EQ(m.dummies, c.dummies) << c.file << " " << c.model;
    }
}

TEST(Formats, OldStylePdbColumnsGiveWhatBlankColumnsGive)
{
    std::string text = readfile(sample("oldstyle.pdb"));
    std::string blank;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        blank += line.substr(0, 72) + "\n";
    inmolecule old, plain;
    std::vector<problem> oldtold, plaintold;
    listen(old, oldtold);
    listen(plain, plaintold);
    problem p;
    ASSERT_EQ(readtext(FORMAT_PDB, text, old, p), 1);
    ASSERT_EQ(readtext(FORMAT_PDB, blank, plain, p), 1);
    EXPECT_EQ(elementsof(old), elementsof(plain));
    EXPECT_EQ(allbonds(old), allbonds(plain));
    EXPECT_TRUE(plaintold.empty());
    ASSERT_EQ(oldtold.size(), 1u);
    EXPECT_EQ(oldtold[0].what, "element from the atom name");
    EXPECT_EQ(oldtold[0].detail,
              "t:2: columns 73-80 hold \"1ABC 102\", no element symbol and charge; in this file elements are "
              "taken from the atom names (columns 13-16)");
}

TEST(Formats, ChainsModelsWaterAndHydrogensSelectAlikeInPdbAndMmcif)
{
    struct {
        std::vector<std::string> chains;
        long model;
        bool nowater, nohydrogens;
        size_t atoms;
        double firstx;
    } cases[] = {
        {{}, 0, false, false, 51, 0.0},    {{}, 2, false, false, 51, 0.5},
        {{}, 0, true, false, 42, 0.0},     {{}, 0, false, true, 45, 0.0},
        {{"B"}, 0, false, false, 21, 0.0}, {{"B", "W"}, 2, true, false, 21, 0.5},
        {{"W"}, 0, false, true, 3, 12.0},  {{"A"}, 1, false, false, 21, 0.0},
    };
    for (const char *file : {"peptide.pdb", "peptide.cif"})
        for (const auto &c : cases) {
            selection s;
            s.chains = c.chains;
            s.model = c.model;
            s.nowater = c.nowater;
            s.nohydrogens = c.nohydrogens;
            inmolecule m = readwith(sample(file), s);
            EXPECT_EQ(m.atoms.size(), c.atoms) << file << " model " << c.model;
            ASSERT_FALSE(m.atoms.empty());
            EXPECT_EQ(m.atoms[0].x, c.firstx) << file;
        }
    // Both name what is missing.
    for (const char *file : {"peptide.pdb", "peptide.cif"}) {
        selection s;
        s.model = 3;
        inmolecule m;
        problem p;
        EXPECT_EQ(readinput(sample(file), m, s, p), 0);
        EXPECT_EQ(p.what, "no such model");
        EXPECT_EQ(p.detail, sample(file) + " has no model 3 (its 2 models are numbered 1 to 2)");
    }
}

TEST(Formats, OneProteinThroughPdbMmcifAndGzipGivesOneDescription)
{
    std::string dir = tempfolder();
    writefile(dir + "/peptide.pdb", readfile(sample("peptide.pdb")));
    writefile(dir + "/peptide.cif", readfile(sample("peptide.cif")));
    gzipto(dir + "/peptide.pdb.gz", readfile(sample("peptide.pdb")));
    gzipto(dir + "/peptide.cif.gz", readfile(sample("peptide.cif")));
    std::vector<std::string> texts;
    for (const char *name : {"peptide.pdb", "peptide.cif", "peptide.pdb.gz", "peptide.cif.gz"}) {
        std::ostringstream out, err;
        std::string krx = dir + "/" + name + ".krx";
        // Model 1 of each: the PDB file's second model would be a frame.
        ASSERT_EQ(runimport({"-o", krx, "--model", "1", dir + "/" + name}, "9.9.9", out, err), 0)
            << err.str();
        EXPECT_EQ(out.str(), "kestrix-import: wrote: " + krx + " (51 atoms, 47 bonds, root S1)\n");
        texts.push_back(readfile(krx));
    }
    // The disulfide from CONECT and from _struct_conn is the first link.
    EXPECT_NE(texts[0].find("atom S1 S 1.451000 4.269000 -1.988000\n"), std::string::npos);
    EXPECT_NE(texts[0].find("\natom S2 S 1.451000 13.769000 -1.988000\n"), std::string::npos);
    for (size_t i = 1; i < texts.size(); i++)
        EXPECT_EQ(body(texts[i]), body(texts[0])) << i;
    EXPECT_EQ(texts[2].substr(0, texts[2].find('\n')),
              "// peptide.pdb.gz: 51 atoms, 47 bonds; written by kestrix-import 9.9.9");

    // Without -o the output of a compressed file is named as the plain one's.
    std::ostringstream out, err;
    ASSERT_EQ(runimport({"--model", "1", dir + "/peptide.cif.gz"}, "9.9.9", out, err), 0) << err.str();
    EXPECT_EQ(body(readfile(dir + "/peptide.krx")), body(texts[0]));
}

TEST(Formats, OverTheLimitTheMessageSuggestsWhatWouldHelp)
{
    // Two chains of 400 carbons and 400 hydrogens each, and 300 waters.
    std::string pdb;
    int serial = 0;
    auto atom = [&](const char *rec, const char *name, const char *res, char chain, int num, double x,
                    double y, double z, const char *el) {
        char line[100];
        std::snprintf(line, sizeof line,
                      "%-6s%5d %-4s %3s %c%4d    %8.3f%8.3f%8.3f  1.00  0.00          %2s\n", rec, ++serial,
                      name, res, chain, num, x, y, z, el);
        pdb += line;
    };
    for (char chain : {'A', 'B'})
        for (int i = 0; i < 400; i++) {
            double y = chain == 'A' ? 0 : 30;
            atom("ATOM", " CA", "GLY", chain, i + 1, 1.5 * i, y, 0, "C");
            atom("ATOM", " HA", "GLY", chain, i + 1, 1.5 * i, y + 1.1, 0, "H");
        }
    for (int i = 0; i < 100; i++) {
        atom("HETATM", " O", "HOH", 'W', i + 1, 3.0 * i, 60, 0, "O");
        atom("HETATM", " H1", "HOH", 'W', i + 1, 3.0 * i + 0.96, 60, 0, "H");
        atom("HETATM", " H2", "HOH", 'W', i + 1, 3.0 * i - 0.24, 60.93, 0, "H");
    }
    std::string dir = tempfolder();
    writefile(dir + "/big.pdb", pdb);
    struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{},
         "1900 atoms, a figure takes at most 1024; --no-hydrogens leaves out its 1000 hydrogen atoms; "
         "--no-water leaves out its 300 water atoms (1600 remain, still too many); --chain ID keeps one "
         "chain: A (800 atoms), B (800 atoms), W (300 atoms)"},
        {{"--no-water"},
         "1600 atoms selected, a figure takes at most 1024; --no-hydrogens leaves out its 800 "
         "hydrogen atoms; --chain ID keeps one chain: A (800 atoms), B (800 atoms)"},
        {{"--chain", "A", "--chain", "B"},
         "1600 atoms selected, a figure takes at most 1024; --no-hydrogens leaves out its 800 hydrogen "
         "atoms"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(dir + "/big.pdb");
        std::ostringstream out, err;
        EXPECT_EQ(runimport(args, "9.9.9", out, err), EXIT_FAILED);
        EXPECT_EQ(err.str(), "kestrix-import: too many atoms: " + dir + "/big.pdb has " + c.message + "\n");
    }
    std::ostringstream out, err;
    EXPECT_EQ(runimport({"--chain", "Q", dir + "/big.pdb"}, "9.9.9", out, err), EXIT_FAILED);
    EXPECT_EQ(err.str(),
              "kestrix-import: no such chain: " + dir + "/big.pdb has no chain Q (its chains: A, B, W)\n");
}

TEST(Formats, ACrystalStructureGivesItsUnitCell)
{
    // Two sites of rock salt and its space group: four sodium and four
    // chlorine atoms, each once however many symmetry images land on it.
    inmolecule m = readwith(sample("nacl.cif"), selection());
    ASSERT_EQ(m.atoms.size(), 8u);
    int sodium = 0;
    for (const inatom &a : m.atoms) {
        sodium += a.element == 11;
        EXPECT_TRUE(a.element == 11 || a.element == 17);
        for (double v : {a.x, a.y, a.z})
            EXPECT_TRUE(std::fabs(v) < 1e-9 || std::fabs(v - 2.82) < 1e-9) << v;
    }
    EXPECT_EQ(sodium, 4);
    EXPECT_EQ(m.perceive, 1);
    bondlist bonds;
    problem p;
    EXPECT_EQ(findbonds(m, "nacl.cif", bonds, p), 1) << p.detail;
}
