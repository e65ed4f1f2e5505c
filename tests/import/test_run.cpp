// Whole runs: options, exit statuses, messages, and that a failure leaves
// no file behind and an existing one untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "importtest.h"
#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

struct result {
    int status;
    std::string out, err;
};

result run(std::vector<std::string> args)
{
    std::ostringstream o, e;
    int status = runimport(args, "9.9.9", o, e);
    return {status, o.str(), e.str()};
}

std::vector<std::string> filesin(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder holding a copy of the named samples.
std::string folderwith(std::vector<std::string> names)
{
    std::string dir = tempfolder();
    for (const std::string &n : names)
        writefile(dir + "/" + n, readfile(sample(n)));
    return dir;
}

// An XYZ file of carbons 1.5 apart along X (one chain) and hydrogens far
// from them and from each other.
std::string chainfile(int carbons, int hydrogens)
{
    std::string s = std::to_string(carbons + hydrogens) + "\nchain\n";
    for (int i = 0; i < carbons; i++)
        s += "C " + std::to_string(1.5 * i) + " 0 0\n";
    for (int i = 0; i < hydrogens; i++)
        s += "H " + std::to_string(3.0 * i) + " 10 0\n";
    return s;
}

const std::string USAGEHINT = "kestrix-import: usage: see kestrix-import --help\n";

} // namespace

TEST(Run, HelpAndVersion)
{
    result r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, USAGE);
    EXPECT_EQ(r.out.compare(0, 22, "usage: kestrix-import "), 0);
    EXPECT_EQ(r.err, "");
    r = run({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kestrix-import 9.9.9\n");
    EXPECT_EQ(r.err, "");
}

TEST(Run, BadUsageIsStatusTwoAndDoesNothing)
{
    std::string dir = folderwith({"water.xyz"});
    std::string in = dir + "/water.xyz";
    struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{},
         "kestrix-import: no input: name at least one molecule file (XYZ, PDB, mmCIF, MOL/SDF, MOL2, CML)\n"},
        {{"--frobnicate", in}, "kestrix-import: unknown option: --frobnicate\n"},
        {{"-o", dir + "/x.krx", in, in}, "kestrix-import: bad usage: -o takes a single input, 2 are given\n"},
        {{in, "-o"}, "kestrix-import: missing value: -o needs a value\n"},
        {{"-o", "--help", in},
         "kestrix-import: missing value: -o needs a value (write -o=--help for a value that starts with "
         "-)\n"},
        {{"--root", "-x", in},
         "kestrix-import: missing value: --root needs a value (write --root=-x for a value that starts with "
         "-)\n"},
        {{"--ball-scale", "0", in},
         "kestrix-import: bad value: --ball-scale 0 (a number above 0, at most 1000)\n"},
        {{"--ball-scale=big", in},
         "kestrix-import: bad value: --ball-scale big (a number above 0, at most 1000)\n"},
        {{"--bondradius=-0.1", in},
         "kestrix-import: bad value: --bondradius -0.1 (a number from 0 to 1000)\n"},
        {{"--root", "", in}, "kestrix-import: bad value: --root needs an atom name\n"},
    };
    for (const auto &c : cases) {
        result r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, c.message + USAGEHINT);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"water.xyz"}));
}

TEST(Run, DefaultOutputBesideTheInput)
{
    std::string dir = folderwith({"water.xyz", "salt.sdf", "benzene.mol"});
    result r = run({dir + "/water.xyz", dir + "/salt.sdf", dir + "/benzene.mol"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kestrix-import: wrote: " + dir +
                         "/water.krx (3 atoms, 2 bonds, root O1)\n"
                         "kestrix-import: wrote: " +
                         dir +
                         "/salt.krx (9 atoms, 7 bonds, root N1)\n"
                         "kestrix-import: wrote: " +
                         dir + "/benzene.krx (12 atoms, 12 bonds, root C1)\n");
    EXPECT_EQ(r.err,
              "kestrix-import: warning: molecules left out: " + dir +
                  "/salt.sdf: its records are different molecules; the first is read, 1 further "
                  "record is left out (--model N reads the Nth)\n"
                  "kestrix-import: warning: several parts: " +
                  dir +
                  "/salt.sdf holds 2 parts that no bond "
                  "joins; each further part hangs from the root N1 by its atom nearest to it, a "
                  "link that is no bond\n"
                  "kestrix-import: warning: ring bonds: 1 bond closes a ring; only the glTF figure draws it; "
                  "it is annotated in " +
                  dir + "/benzene.krx\n");
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"benzene.krx", "benzene.mol", "salt.krx", "salt.sdf",
                                                      "water.krx", "water.xyz"}));
}

TEST(Run, ExistingOutputOnlyWithForce)
{
    std::string dir = folderwith({"water.xyz"});
    writefile(dir + "/water.krx", "mine\n");
    result r = run({dir + "/water.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: output exists: " + dir + "/water.krx (use --force to replace it)\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readfile(dir + "/water.krx"), "mine\n");
    r = run({"--force", dir + "/water.xyz"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(readfile(dir + "/water.krx").compare(0, 12, "// water.xyz"), 0);
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"water.krx", "water.xyz"}));
}

TEST(Run, FailuresWriteNothingAndTheOthersGoOn)
{
    std::string dir = folderwith({"malformed.xyz", "malformed.pdb", "malformed.mol", "water.xyz"});
    writefile(dir + "/notes.txt", "hello\n");
    result r = run({dir + "/malformed.xyz", dir + "/water.xyz", dir + "/malformed.pdb",
                    dir + "/malformed.mol", dir + "/notes.txt", dir + "/absent.pdb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: malformed line: " + dir +
                         "/malformed.xyz:4: expected \"Element x y z\"\n"
                         "kestrix-import: malformed line: " +
                         dir +
                         "/malformed.pdb:3: coordinates must be numbers in columns 31-54\n"
                         "kestrix-import: malformed line: " +
                         dir +
                         "/malformed.mol:7: a bond must join two different atoms numbered 1 to 2\n"
                         "kestrix-import: unknown format: " +
                         dir +
                         "/notes.txt (the suffix must be .xyz, .pdb, .ent, .cif, .mmcif, .mol, .sdf, .sd, "
                         ".mol2 or .cml, each also with .gz)\n"
                         "kestrix-import: cannot open: " +
                         dir + "/absent.pdb: No such file or directory\n");
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"malformed.mol", "malformed.pdb", "malformed.xyz",
                                                      "notes.txt", "water.krx", "water.xyz"}));
}

TEST(Run, TooManyAtomsGivesTheCountAndSuggestsLeavingOutHydrogen)
{
    std::string dir = tempfolder();
    writefile(dir + "/big.xyz", chainfile(1000, 100));
    result r = run({dir + "/big.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: too many atoms: " + dir +
                         "/big.xyz has 1100 atoms, a figure "
                         "takes at most 1024; --no-hydrogens leaves out its 100 hydrogen atoms\n");
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"big.xyz"}));
    r = run({"--no-hydrogens", dir + "/big.xyz"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kestrix-import: wrote: " + dir + "/big.krx (1000 atoms, 999 bonds, root C500)\n");

    writefile(dir + "/carbon.xyz", chainfile(1025, 0));
    r = run({dir + "/carbon.xyz"});
    EXPECT_EQ(r.err, "kestrix-import: too many atoms: " + dir +
                         "/carbon.xyz has 1025 atoms, a figure "
                         "takes at most 1024\n");
    r = run({"--no-hydrogens", dir + "/carbon.xyz"});
    EXPECT_EQ(r.err, "kestrix-import: too many atoms: " + dir +
                         "/carbon.xyz has 1025 atoms besides "
                         "hydrogen, a figure takes at most 1024\n");

    writefile(dir + "/full.xyz", chainfile(1024, 0));
    r = run({dir + "/full.xyz"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Run, RootByNameInAnyCase)
{
    std::string dir = folderwith({"water.xyz"});
    result r = run({"--root", "h2", dir + "/water.xyz"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kestrix-import: wrote: " + dir + "/water.krx (3 atoms, 2 bonds, root H2)\n");
    std::string text = readfile(dir + "/water.krx");
    EXPECT_NE(text.find("\natom H2 H 0.000000 -0.757200 -0.469200\natom O1 O"), std::string::npos);
    r = run({"--force", "--root", "C1", dir + "/water.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "kestrix-import: no such atom: C1 in " + dir + "/water.xyz (atoms are named O1, H1, ...)\n");
}

TEST(Run, OddOutputsAreRefused)
{
    std::string dir = folderwith({"water.xyz", "benzene.mol"});
    writefile(dir + "/water.mol", readfile(sample("methanol.mol")));
    // Two inputs with one default output: the second must not replace the first.
    result r = run({"--force", dir + "/water.xyz", dir + "/water.mol"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: output used twice: " + dir +
                         "/water.krx is already the output of an earlier input\n");
    EXPECT_EQ(readfile(dir + "/water.krx").compare(0, 12, "// water.xyz"), 0);
    // -o adds the missing .krx; a name that still leads to the input is refused.
    ASSERT_EQ(symlink("water.xyz", (dir + "/self.krx").c_str()), 0);
    r = run({"--force", "-o", dir + "/self", dir + "/water.xyz"});
    EXPECT_EQ(r.err, "kestrix-import: bad output: " + dir + "/self.krx is the input itself\n");
    EXPECT_EQ(readfile(dir + "/water.xyz"), readfile(sample("water.xyz")));
    r = run({"-o", dir + "/none/out.krx", dir + "/benzene.mol"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.compare(0, 29, "kestrix-import: cannot write:"), 0) << r.err;
    ASSERT_EQ(mkdir((dir + "/sub.krx").c_str(), 0755), 0);
    r = run({"-o", dir + "/sub.krx", dir + "/benzene.mol", "--force"});
    EXPECT_EQ(r.err, "kestrix-import: cannot write: " + dir + "/sub.krx: not a regular file\n");
    EXPECT_EQ(filesin(dir), (std::vector<std::string>{"benzene.mol", "self.krx", "sub.krx", "water.krx",
                                                      "water.mol", "water.xyz"}));
}

TEST(Run, OnlyHydrogenLeftOut)
{
    std::string dir = tempfolder();
    writefile(dir + "/h2.xyz", "2\n\nH 0 0 0\nH 0 0 0.74\n");
    result r = run({"--no-hydrogens", dir + "/h2.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kestrix-import: no atoms: " + dir +
                         "/h2.xyz holds hydrogen atoms only, and --no-hydrogens leaves them out\n");
}
