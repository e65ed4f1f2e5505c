#include <gtest/gtest.h>

#include "import/bonds.h"
#include "import/elements.h"
#include "importtest.h"
#include "import/readers.h"
#include "import/text.h"
#include "import/tree.h"

using namespace importer;

namespace {

typedef std::vector<std::pair<int, int>> bondlist;

inatom at(int element, double x, double y = 0, double z = 0)
{
    inatom a;
    a.element = element;
    a.x = x;
    a.y = y;
    a.z = z;
    a.line = 0;
    return a;
}

// A molecule of carbon atoms along X, one apart, with the given bonds only.
inmolecule graph(int n, const bondlist &bonds)
{
    inmolecule m;
    for (int i = 0; i < n; i++)
        m.atoms.push_back(at(6, i));
    m.bonds = bonds;
    m.perceive = 0;
    return m;
}

atomtree treeof(const inmolecule &m, int root = -1)
{
    atomtree t;
    buildtree(m, allbonds(m), root, t);
    return t;
}

} // namespace

TEST(Radii, CorderoValuesWhereChemistryProgramsTakeThem)
{
    EXPECT_EQ(element_of(1).covalent, 0.31);
    EXPECT_EQ(element_of(6).covalent, 0.76);  // sp3
    EXPECT_EQ(element_of(25).covalent, 1.39); // manganese, low spin
    EXPECT_EQ(element_of(26).covalent, 1.32); // iron, low spin
    EXPECT_EQ(element_of(27).covalent, 1.26); // cobalt, low spin
    EXPECT_EQ(element_of(96).covalent, 1.69); // curium, the last one covered
    EXPECT_EQ(element_of(97).covalent, 1.5);
    EXPECT_EQ(element_of(118).covalent, 1.5);
    EXPECT_STREQ(element_of(17).symbol, "Cl");
    EXPECT_EQ(elementnumber("cO"), 27);
    EXPECT_EQ(elementnumber("Uue"), 0);
}

TEST(Radii, JmolColours)
{
    const elementinfo &o = element_of(8);
    EXPECT_EQ(o.red, 0xFF);
    EXPECT_EQ(o.green, 0x0D);
    EXPECT_EQ(o.blue, 0x0D);
    const elementinfo &fe = element_of(26);
    EXPECT_EQ(fe.red, 0xE0);
    EXPECT_EQ(fe.green, 0x66);
    EXPECT_EQ(fe.blue, 0x33);
    const elementinfo &mt = element_of(109);
    EXPECT_EQ(mt.red, 0xEB);
    EXPECT_EQ(mt.blue, 0x26);
}

TEST(Bonds, DistanceRuleBounds)
{
    // C-C: below 0.76 + 0.76 + 0.45 = 1.97
    EXPECT_TRUE(bonded(at(6, 0), at(6, 1.969)));
    EXPECT_FALSE(bonded(at(6, 0), at(6, 1.971)));
    // and above 0.40, whatever the radii
    EXPECT_FALSE(bonded(at(1, 0), at(1, 0.399)));
    EXPECT_TRUE(bonded(at(1, 0), at(1, 0.401)));
    EXPECT_FALSE(bonded(at(6, 0), at(6, 0)));
    // berkelium is not in the table: 1.5 + 0.31 + 0.45 = 2.26 with hydrogen
    EXPECT_TRUE(bonded(at(97, 0), at(1, 0, 2.25)));
    EXPECT_FALSE(bonded(at(97, 0), at(1, 0, 0, 2.27)));
    // low-spin iron: 1.32 + 0.66 + 0.45 = 2.43 with oxygen
    EXPECT_TRUE(bonded(at(26, 0), at(8, 2.42)));
    EXPECT_FALSE(bonded(at(26, 0), at(8, 2.44)));
}

TEST(Bonds, PerceivedBenzeneEqualsItsBondBlock)
{
    inmolecule m = readsample(sample("benzene.mol"));
    bondlist listed = allbonds(m);
    ASSERT_EQ(listed.size(), 12u);
    m.bonds.clear();
    m.perceive = 1;
    EXPECT_EQ(allbonds(m), listed);
}

TEST(Bonds, PdbDistancesPlusConect)
{
    inmolecule m = readsample(sample("fragment.pdb"));
    bondlist expected{{0, 1}, {0, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};
    EXPECT_EQ(allbonds(m), expected);
    // The zinc's two bonds come from CONECT alone.
    EXPECT_FALSE(bonded(m.atoms[4], m.atoms[5]));
    EXPECT_FALSE(bonded(m.atoms[5], m.atoms[6]));
}

TEST(Tree, WaterFromOxygen)
{
    atomtree t = treeof(readsample(sample("water.xyz")));
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(t.parent, (std::vector<int>{-1, 0, 0}));
    EXPECT_TRUE(t.ringbonds.empty());
    EXPECT_EQ(t.nparts, 1);
}

TEST(Tree, BenzeneBreadthFirstWithOneRingBond)
{
    atomtree t = treeof(readsample(sample("benzene.mol")));
    EXPECT_EQ(t.root, 0); // every carbon is 4 bonds from its farthest atom
    //                     C1  C2 C3 C4 C5 C6 H1 H2 H3 H4 H5 H6
    std::vector<int> parent{-1, 0, 1, 2, 5, 0, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(t.parent, parent);
    EXPECT_EQ(t.ringbonds, (bondlist{{3, 4}}));
    EXPECT_EQ(t.children[0], (std::vector<int>{1, 5, 6}));
}

TEST(Tree, AdamantaneRootsAtABridgeheadWithThreeRingBonds)
{
    inmolecule m = readsample(sample("adamantane.xyz"));
    atomtree t = treeof(m);
    // Bridgehead carbons reach every atom within 4 bonds, the CH2 ones in 5.
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(allbonds(m).size(), 28u);
    EXPECT_EQ(t.ringbonds, (bondlist{{2, 9}, {3, 5}, {3, 7}}));
}

TEST(Tree, CentreOfChainsAndTies)
{
    EXPECT_EQ(treeof(graph(5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}})).root, 2);
    EXPECT_EQ(treeof(graph(4, {{0, 1}, {1, 2}, {2, 3}})).root, 1); // 1 and 2 tie
    EXPECT_EQ(treeof(graph(4, {{3, 2}, {2, 1}, {1, 0}})).root, 1);
    // A star's hub, wherever it stands.
    EXPECT_EQ(treeof(graph(5, {{4, 0}, {4, 1}, {4, 2}, {4, 3}})).root, 4);
    EXPECT_EQ(treeof(graph(1, {})).root, 0);
}

TEST(Tree, LargestPartGivesTheRootAndTheOthersHangFromIt)
{
    // Parts {0,1} and {2,3,4}: the chain 2-3-4 is larger, its centre is 3.
    atomtree t = treeof(graph(5, {{0, 1}, {2, 3}, {3, 4}}));
    EXPECT_EQ(t.root, 3);
    EXPECT_EQ(t.nparts, 2);
    // Atom 1 (x = 1) is nearer to the root (x = 3) than atom 0.
    EXPECT_EQ(t.hung, (std::vector<int>{1}));
    EXPECT_EQ(t.parent, (std::vector<int>{1, 3, 3, -1, 3}));
    EXPECT_EQ(t.children[3], (std::vector<int>{2, 4, 1}));

    // Parts of equal size: the one with the lowest index.
    t = treeof(graph(4, {{2, 3}, {0, 1}}));
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(t.hung, (std::vector<int>{2}));

    // Three lone atoms: each further part is one atom hung from the root.
    t = treeof(graph(3, {}));
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(t.nparts, 3);
    EXPECT_EQ(t.hung, (std::vector<int>{1, 2}));
}

TEST(Tree, NearestAtomTiesGoToTheLowestIndex)
{
    inmolecule m;
    m.perceive = 0;
    m.atoms = {at(6, 0), at(6, 0, 1), at(6, 0, 2), at(6, 0, -4), at(6, 4), at(6, 0, 0, 4)};
    m.bonds = {{0, 1}, {1, 2}, {3, 4}, {4, 5}};
    atomtree t = treeof(m);
    EXPECT_EQ(t.root, 1);
    // From the root at (0, 1, 0) atom 3 is 5 away, atoms 4 and 5 are both
    // sqrt(17) away; 4 wins the tie by its index.
    EXPECT_EQ(t.hung, (std::vector<int>{4}));
    EXPECT_EQ(t.parent, (std::vector<int>{1, -1, 1, 4, 1, 4}));
}

TEST(Tree, ChosenRootAndItsPart)
{
    atomtree t = treeof(readsample(sample("water.xyz")), 2);
    EXPECT_EQ(t.root, 2);
    EXPECT_EQ(t.parent, (std::vector<int>{2, 0, -1}));
    // A root in the smaller part makes that part the main one.
    t = treeof(graph(5, {{0, 1}, {2, 3}, {3, 4}}), 0);
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(t.hung, (std::vector<int>{2}));
    EXPECT_EQ(t.parent, (std::vector<int>{-1, 0, 0, 2, 3}));
}

TEST(Tree, SaltHangsTheNitrateByItsNearestOxygen)
{
    atomtree t = treeof(readsample(sample("salt.sdf")));
    EXPECT_EQ(t.root, 0);
    EXPECT_EQ(t.nparts, 2);
    EXPECT_EQ(t.hung, (std::vector<int>{8}));
    EXPECT_EQ(t.parent, (std::vector<int>{-1, 0, 0, 0, 0, 8, 5, 5, 0}));
    EXPECT_TRUE(t.ringbonds.empty());
}
