// Real molecules through kestrix-import and back: the glTF figure's drawn
// bonds read back as cylinders and matched against the importer's own bond
// graph (every bond exactly once, none extra), ring bonds that stay on
// their atoms when a ring atom's joint turns, and the figure file of a
// solvent box that thickens no link that is no bond.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "import/bonds.h"
#include "angles/findangles.h"
#include "glbreader.h"
#include "glbtestutil.h"
#include "job/KESTRIX.h"
#include "import/krx.h"
#include "model/bondgraph.h"
#include "model/model.h"
#include "import/readers.h"
#include "import/run.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"
#include "import/tree.h"

namespace {

typedef std::pair<std::string, std::string> namedbond; // names in order

namedbond ordered(std::string a, std::string b)
{
    if (b < a)
        std::swap(a, b);
    return {a, b};
}

struct imported {
    std::multiset<namedbond> bonds; // the importer's bond graph, by atom names
    std::vector<std::string> hung;  // atoms hung from the root by no bond
};

// Imports a sample with kestrix-import and reads the description as a job
// does; returns what the importer itself made of the molecule.
imported importsample(const std::string &path)
{
    imported out;
    importer::inmolecule m;
    problem p;
    EXPECT_EQ(importer::readinput(path, m, p), 1) << p.what << ": " << p.detail;
    std::vector<std::pair<int, int>> bonds = importer::allbonds(m);
    std::vector<std::string> names = importer::atomnames(m);
    for (const auto &b : bonds)
        out.bonds.insert(ordered(names[b.first], names[b.second]));
    importer::atomtree t;
    importer::buildtree(m, bonds, -1, t);
    for (int v : t.hung)
        out.hung.push_back(names[v]);

    std::string krx = tempfolder() + "/imported.krx";
    std::ostringstream o, e;
    EXPECT_EQ(importer::runimport({"-o", krx, path}, "9.9.9", o, e), 0) << e.str();
    // Read without its bond orders: every bond is then one cylinder of the
    // bond radius, as matched here (the lines of the other orders are
    // matched in test_bondorders.cpp).
    std::istringstream text(readfile(krx));
    std::string single;
    for (std::string line; std::getline(text, line);)
        if (line.compare(0, 9, "//@ order") != 0)
            single += line + "\n";
    scripted::clear();
    EXPECT_EQ(readtext(single), 1);
    EXPECT_TRUE(scripted::messages.empty());
    EXPECT_TRUE(scripted::consolewarnings.empty());
    EXPECT_EQ(findangles(0), 1);
    return out;
}

// The bonds' triangles fall apart into cylinders: the sets of vertices that
// triangles join.
std::vector<std::vector<size_t>> cylinders(const glbfile &f, const jvalue &prim)
{
    int w;
    std::vector<double> idx = accessorvalues(f, prim["indices"].integer(), &w);
    std::vector<double> joints = accessorvalues(f, prim["attributes"]["JOINTS_0"].integer(), &w);
    size_t n = joints.size() / 4;
    std::map<size_t, std::vector<size_t>> parts = connectedparts(idx, n);
    std::vector<std::vector<size_t>> out;
    for (auto &[k, verts] : parts)
        out.push_back(verts);
    return out;
}

// Each cylinder's two end atoms: the atoms whose ball centre lies the bond
// radius from a whole ring of its vertices (a ring is square to the bond
// through the atom's centre). A cylinder without exactly two fails the test.
std::multiset<namedbond> drawnbonds(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    std::multiset<namedbond> out;
    const jvalue &prims = f.json["meshes"][0]["primitives"];
    std::map<int, xyz> centres = ballcentres(f, world);
    for (size_t p = 0; p < prims.size(); p++) {
        const jvalue &prim = prims[p];
        if (f.json["materials"][static_cast<size_t>(prim["material"].integer())]["name"].text != "bonds")
            continue;
        std::vector<xyz> verts = skinnedpositions(f, prim, world);
        for (const std::vector<size_t> &cyl : cylinders(f, prim)) {
            std::vector<int> ends;
            for (auto &[atom, centre] : centres) {
                size_t on = 0;
                for (size_t v : cyl)
                    on += std::fabs(distance(verts[v], centre) - bondradius) < 1e-4;
                if (on * 2 >= cyl.size())
                    ends.push_back(atom);
            }
            EXPECT_EQ(ends.size(), 2u) << "a cylinder of " << cyl.size() << " vertices";
            if (ends.size() == 2)
                out.insert(ordered(atoms[ends[0]].name, atoms[ends[1]].name));
        }
    }
    return out;
}

struct samplecase {
    const char *path; // below tests/data
    int ringbonds;    // bonds that close rings
    int hung;         // links that are no bond
};

class WholeMolecule : public ::testing::TestWithParam<samplecase> {
protected:
    void SetUp() override { ASSERT_EQ(startup(), 1); }
};

} // namespace

TEST_P(WholeMolecule, DrawsEveryBondOnceAndNoneExtra)
{
    const samplecase &c = GetParam();
    imported m = importsample(testdata(c.path));
    EXPECT_EQ(nringbonds, c.ringbonds);
    int links = 0;
    for (int i = 0; i < natoms; i++)
        links += nobond[i];
    EXPECT_EQ(links, c.hung);
    EXPECT_EQ(static_cast<int>(m.hung.size()), c.hung);

    glbfile f = writeandread();
    EXPECT_EQ(drawnbonds(f, worldmatrices(f)), m.bonds);
}

TEST_P(WholeMolecule, RingBondsStayOnTheirAtomsWhenARingAtomTurns)
{
    const samplecase &c = GetParam();
    if (c.ringbonds == 0)
        GTEST_SKIP() << "no ring";
    imported m = importsample(testdata(c.path));
    glbfile f = writeandread();
    // Turn each ring bond's later atom in turn (never the root): the
    // cylinders, read back under the pose, still join the same atoms, each
    // ring's ends on its atom's turned centre.
    std::set<int> turned;
    for (int k = 0; k < nringbonds; k++) {
        int a = ringbonds[k].b;
        if (!turned.insert(a).second)
            continue;
        SCOPED_TRACE(atoms[a].name);
        std::vector<std::vector<double>> world = worldmatrices(f, a, 40);
        EXPECT_EQ(drawnbonds(f, world), m.bonds);
        // The turn moved the ring bond's end: the pose is no rest pose.
        std::map<int, xyz> rest = ballcentres(f, worldmatrices(f)), now = ballcentres(f, world);
        EXPECT_GT(distance(rest[a], now[a]), 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, WholeMolecule,
                         ::testing::Values(samplecase{"molecules/benzene.xyz", 1, 0},
                                           samplecase{"molecules/caffeine.xyz", 2, 0},
                                           samplecase{"../import/data/adamantane.xyz", 3, 0},
                                           samplecase{"molecules/waterbox.xyz", 0, 26},
                                           samplecase{"../import/data/salt.sdf", 0, 1},
                                           samplecase{"molecules/peptide.pdb", 2, 0}),
                         [](const ::testing::TestParamInfo<samplecase> &info) {
                             std::string name = info.param.path;
                             name = name.substr(name.rfind('/') + 1);
                             return name.substr(0, name.find('.'));
                         });

TEST(WholeMoleculeCR2, AWaterBoxThickensNoLinkThatIsNoBond)
{
    ASSERT_EQ(startup(), 1);
    imported m = importsample(testdata("molecules/waterbox.xyz"));
    std::set<std::string> hung(m.hung.begin(), m.hung.end());
    ASSERT_EQ(hung.size(), 26u);
    // Each atom actor's bond_thicker channel: its initial value and its
    // first key, both the bond radius, or both 0 for a link that is no bond.
    std::string cr2 = cr2text();
    int checked = 0;
    for (int i = 1; i < natoms; i++) {
        std::string head =
            std::string("actor ") + atoms[i].shortname + ":1\n\t{\n\tname    " + atoms[i].name + "\n";
        size_t at = cr2.find(head);
        ASSERT_NE(at, std::string::npos) << atoms[i].name;
        size_t channel = cr2.find("\t\t\tname bond_thicker\n\t\t\tinitValue ", at);
        ASSERT_NE(channel, std::string::npos);
        size_t value = channel + std::string("\t\t\tname bond_thicker\n\t\t\tinitValue ").size();
        std::string init = cr2.substr(value, cr2.find('\n', value) - value);
        size_t key = cr2.find("\t\t\t\tk  0  ", value) + std::string("\t\t\t\tk  0  ").size();
        std::string first = cr2.substr(key, cr2.find('\n', key) - key);
        const char *want = hung.count(atoms[i].name) ? "0" : "0.08";
        EXPECT_EQ(init, want) << atoms[i].name;
        EXPECT_EQ(first, want) << atoms[i].name;
        checked++;
    }
    EXPECT_EQ(checked, 80);
}
