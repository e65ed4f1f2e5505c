// The descriptions read back by the project's own reader: the same atoms,
// names, elements, tree and exact positions; and the bond-angle pass on
// them rebuilds every position through the child's frame rule.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "import/elements.h"
#include "angles/findangles.h"
#include "importtest.h"
#include "support/kinematics.h"
#include "model/model.h"
#include "import/readers.h"
#include "import/run.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"
#include "import/text.h"

using namespace importer;

namespace {

// Imports a sample and reads the description into the model.
void importandread(const std::string &name, std::vector<std::string> extra = {})
{
    std::string out = tempfolder() + "/out.krx";
    std::vector<std::string> args{"-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(sample(name));
    std::ostringstream o, e;
    ASSERT_EQ(runimport(args, "9.9.9", o, e), 0) << e.str();
    scripted::clear();
    ASSERT_EQ(readtext(readfile(out)), 1) << name;
    EXPECT_TRUE(scripted::messages.empty()) << scripted::messages[0].caption;
    // Every annotation the importer writes is one the reader takes.
    EXPECT_TRUE(scripted::consolewarnings.empty()) << scripted::consolewarnings[0].caption;
}

int indexof(const atom *a) { return a ? (int)(a - atoms) : -1; }

class Readback : public ::testing::TestWithParam<const char *> {};

} // namespace

TEST_P(Readback, SameAtomsTreeAndPositions)
{
    std::string name = GetParam();
    inmolecule m = readsample(sample(name));
    importandread(name);
    ASSERT_EQ(natoms, (int)m.atoms.size());
    EXPECT_EQ(readxyz, 1);
    EXPECT_EQ(bondradius, 0.08);

    // By name: each input atom once, at exactly its input position.
    std::map<std::string, int> byname;
    for (int i = 0; i < natoms; i++)
        byname[atoms[i].name] = i;
    ASSERT_EQ((int)byname.size(), natoms);
    std::map<int, int> count;
    for (const inatom &a : m.atoms) {
        std::string n = std::string(element_of(a.element).symbol) + std::to_string(++count[a.element]);
        ASSERT_EQ(byname.count(n), 1u) << n;
        const atom &r = atoms[byname[n]];
        EXPECT_EQ(r.p.x, a.x) << n;
        EXPECT_EQ(r.p.y, a.y) << n;
        EXPECT_EQ(r.p.z, a.z) << n;
        EXPECT_STREQ(r.sort->name, element_of(a.element).symbol) << n;
    }

    // The reader's tree is the importer's: a root, parents before children,
    // and every link a bond except those that hang further parts.
    EXPECT_EQ(atoms[0].parent, nullptr);
    for (int i = 1; i < natoms; i++)
        EXPECT_LT(indexof(atoms[i].parent), i);

    // The bond-angle pass, then the frames rebuild every atom.
    ASSERT_EQ(findangles(0), 1);
    std::vector<int> parent;
    std::vector<double> theta, phi, bondl;
    for (int i = 0; i < natoms; i++) {
        parent.push_back(indexof(atoms[i].parent));
        theta.push_back(atoms[i].theta);
        phi.push_back(atoms[i].phi);
        bondl.push_back(atoms[i].bondl);
    }
    std::vector<kinematics::vec> rebuilt =
        kinematics::positions(parent, theta, phi, bondl, {atoms[0].p.x, atoms[0].p.y, atoms[0].p.z});
    for (int i = 0; i < natoms; i++)
        EXPECT_LT(kinematics::distance(rebuilt[i], {atoms[i].p.x, atoms[i].p.y, atoms[i].p.z}), 1e-9)
            << name << " " << atoms[i].name;
}

INSTANTIATE_TEST_SUITE_P(Samples, Readback,
                         ::testing::Values("water.xyz", "benzene.mol", "fragment.pdb", "salt.sdf",
                                           "methanol.mol", "adamantane.xyz"));

TEST(Readback, ParentsAreTheTreeLinks)
{
    importandread("benzene.mol");
    std::map<std::string, std::string> parentname;
    for (int i = 1; i < natoms; i++)
        parentname[atoms[i].name] = atoms[i].parent->name;
    std::map<std::string, std::string> expected{{"C2", "C1"}, {"C6", "C1"}, {"H1", "C1"}, {"C3", "C2"},
                                                {"H2", "C2"}, {"C5", "C6"}, {"H6", "C6"}, {"C4", "C3"},
                                                {"H3", "C3"}, {"H5", "C5"}, {"H4", "C4"}};
    EXPECT_EQ(parentname, expected);
    EXPECT_STREQ(atoms[0].name, "C1");
    EXPECT_STREQ(Name, "benzene");
    ASSERT_EQ(nelements, 2);
    EXPECT_EQ(elements[0].red, 144);
    EXPECT_EQ(elements[1].blue, 255);
    EXPECT_EQ(elements[1].rad, 0.155);
}

TEST(Readback, SaltPartsHangFromTheRoot)
{
    importandread("salt.sdf", {"--bondradius", "0"});
    EXPECT_EQ(bondradius, 0);
    std::map<std::string, std::string> parentname;
    for (int i = 1; i < natoms; i++)
        parentname[atoms[i].name] = atoms[i].parent->name;
    EXPECT_EQ(parentname["O3"], "N1");
    EXPECT_EQ(parentname["N2"], "O3");
    EXPECT_EQ(parentname["O1"], "N2");
    EXPECT_EQ(parentname["O2"], "N2");
}
