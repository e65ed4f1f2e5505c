// Bond orders in the glTF figure: real molecules through kestrix-import and
// back, their bonds' cylinders read back and matched against the importer's
// bond graph with its orders (each bond drawn as many times as its order
// says, none extra, the lines apart and their ends inside the balls), also
// with a ring atom's joint turned; and the layout of each order on its own.
#include <gtest/gtest.h>

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
#include "model/names.h"
#include "import/readers.h"
#include "import/run.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"
#include "writers/gltf/bondlines.h"
#include "writers/gltf/glblook.h"

namespace {

typedef std::pair<int, int> atompair; // model atom indices, lower first

struct orderedbond {
    atompair atoms;
    int order; // 1, 2, 3, or 4 aromatic
};

// Imports path and reads the description into the model; the importer's
// own bonds with their orders, by the model's atom indices.
std::vector<orderedbond> importwithorders(const std::string &path)
{
    importer::inmolecule m;
    problem p;
    EXPECT_EQ(importer::readinput(path, m, p), 1) << p.what << ": " << p.detail;
    std::string krx = tempfolder() + "/ordered.krx";
    std::ostringstream o, e;
    EXPECT_EQ(importer::runimport({"-o", krx, path}, "9.9.9", o, e), 0) << e.str();
    scripted::clear();
    EXPECT_EQ(readtext(readfile(krx)), 1);
    EXPECT_TRUE(scripted::consolewarnings.empty());
    EXPECT_EQ(findangles(0), 1);
    std::vector<std::string> names = importer::atomnames(m);
    std::vector<orderedbond> out;
    for (const auto &b : importer::allbonds(m)) {
        int a = atomindex(names[b.first].c_str()), c = atomindex(names[b.second].c_str());
        auto o = m.orders.find(b);
        out.push_back({{a < c ? a : c, a < c ? c : a}, o == m.orders.end() ? 1 : int(o->second)});
    }
    return out;
}

struct drawnline {
    xyz low, high; // the centres of its two end rings
    double radius; // mean distance of its vertices from its axis
};

xyz mix(const xyz &a, const xyz &b, double t)
{
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
}

// Where along the line from a to b the point q falls (0 at a, 1 at b), and
// how far from that line it lies.
void along(const xyz &a, const xyz &b, const xyz &q, double *t, double *off)
{
    double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, v[3] = {q.x - a.x, q.y - a.y, q.z - a.z};
    double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    *t = (d[0] * v[0] + d[1] * v[1] + d[2] * v[2]) / dd;
    *off = distance(q, mix(a, b, *t));
}

// The bonds' cylinders under the given world matrices: the triangles of
// the bonds' primitive join the vertices of one cylinder, its bottom ring
// first.
std::vector<drawnline> drawnlines(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    std::vector<drawnline> out;
    const jvalue &prims = f.json["meshes"][0]["primitives"];
    for (size_t p = 0; p < prims.size(); p++) {
        const jvalue &prim = prims[p];
        if (f.json["materials"][static_cast<size_t>(prim["material"].integer())]["name"].text != "bonds")
            continue;
        std::vector<xyz> verts = skinnedpositions(f, prim, world);
        int w;
        std::vector<double> idx = accessorvalues(f, prim["indices"].integer(), &w);
        std::map<size_t, std::vector<size_t>> parts = connectedparts(idx, verts.size());
        for (auto &part : parts) {
            const std::vector<size_t> &cyl = part.second;
            size_t half = cyl.size() / 2;
            drawnline l{{0, 0, 0}, {0, 0, 0}, 0};
            for (size_t k = 0; k < cyl.size(); k++) {
                xyz &end = k < half ? l.low : l.high;
                end.x += verts[cyl[k]].x / half;
                end.y += verts[cyl[k]].y / half;
                end.z += verts[cyl[k]].z / half;
            }
            for (size_t k = 0; k < cyl.size(); k++) {
                double t, off;
                along(l.low, l.high, verts[cyl[k]], &t, &off);
                l.radius += off / cyl.size();
            }
            out.push_back(l);
        }
    }
    return out;
}

double ballof(int atom) { return std::fabs(atoms[atom].sort->rad); }

// Each drawn line matched to the one bond whose axis it runs beside (both
// ends close to the axis, between the two atoms, on either side of the
// middle): the lines per bond; a line beside no bond or several fails.
// Full-length lines (not an aromatic bond's inner one) end, rings whole,
// inside both balls.
std::map<atompair, int> linesperbond(const std::vector<drawnline> &lines,
                                     const std::vector<orderedbond> &bonds, const std::map<int, xyz> &centres)
{
    std::map<atompair, int> out;
    for (const drawnline &l : lines) {
        std::vector<atompair> beside;
        for (const orderedbond &b : bonds) {
            const xyz &a = centres.at(b.atoms.first), &c = centres.at(b.atoms.second);
            double t0, t1, off0, off1;
            along(a, c, l.low, &t0, &off0);
            along(a, c, l.high, &t1, &off1);
            double most = 0.9 * std::min(ballof(b.atoms.first), ballof(b.atoms.second));
            // A posed ring bond's end, turned with its own atom, may stand
            // a little beyond the atom along the bond, inside its ball.
            double beyond = most / distance(a, c) + 1e-3;
            if (off0 <= most && off1 <= most && std::min(t0, t1) > -beyond && std::max(t0, t1) < 1 + beyond &&
                std::min(t0, t1) < 0.5 && std::max(t0, t1) > 0.5)
                beside.push_back(b.atoms);
        }
        EXPECT_EQ(beside.size(), 1u) << "a line beside " << beside.size() << " bonds";
        if (beside.size() != 1)
            continue;
        out[beside[0]]++;
        const xyz &a = centres.at(beside[0].first), &c = centres.at(beside[0].second);
        double full = std::min(distance(l.low, a), distance(l.low, c)) +
                      std::min(distance(l.high, a), distance(l.high, c));
        if (full < 0.3 * distance(a, c)) {
            double ra = ballof(beside[0].first), rc = ballof(beside[0].second);
            bool lowata = distance(l.low, a) < distance(l.low, c);
            EXPECT_LT(distance(l.low, lowata ? a : c) + l.radius, lowata ? ra : rc);
            EXPECT_LT(distance(l.high, lowata ? c : a) + l.radius, lowata ? rc : ra);
        }
    }
    return out;
}

int linesoforder(int order) { return order == 1 ? 1 : order == 3 ? 3 : 2; }

class BondOrders : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override { ASSERT_EQ(startup(), 1); }
};

std::string samplepath(const std::string &name)
{
    return name == "caffeine.sdf" ? testdata("../../examples/caffeine.sdf")
                                  : testdata("../import/data/" + name);
}

} // namespace

TEST_P(BondOrders, EachBondDrawnAsOftenAsItsOrderSaysNoneExtra)
{
    std::vector<orderedbond> bonds = importwithorders(samplepath(GetParam()));
    glbfile f = writeandread();
    std::vector<std::vector<double>> world = worldmatrices(f);
    std::map<int, xyz> centres = ballcentres(f, world);
    std::vector<drawnline> lines = drawnlines(f, world);
    std::map<atompair, int> drawn = linesperbond(lines, bonds, centres);
    int multiple = 0;
    for (const orderedbond &b : bonds) {
        EXPECT_EQ(drawn[b.atoms], linesoforder(b.order))
            << atoms[b.atoms.first].name << " " << atoms[b.atoms.second].name << " of order " << b.order;
        multiple += b.order != 1;
    }
    EXPECT_GT(multiple, 0);
    EXPECT_EQ(drawn.size(), bonds.size());
    // Lines of one bond do not merge: their axes lie farther apart than
    // their radii reach, by a margin.
    for (size_t i = 0; i < lines.size(); i++)
        for (size_t j = i + 1; j < lines.size(); j++) {
            xyz mi = mix(lines[i].low, lines[i].high, 0.5), mj = mix(lines[j].low, lines[j].high, 0.5);
            if (distance(mi, mj) < 0.3) {
                EXPECT_GT(distance(mi, mj), 1.3 * (lines[i].radius + lines[j].radius));
            }
        }
}

TEST_P(BondOrders, RingBondLinesStayOnTheirAtomsWhenARingAtomTurns)
{
    std::vector<orderedbond> bonds = importwithorders(samplepath(GetParam()));
    if (nringbonds == 0)
        GTEST_SKIP() << "no ring";
    glbfile f = writeandread();
    for (int k = 0; k < nringbonds; k++) {
        int a = ringbonds[k].b;
        SCOPED_TRACE(atoms[a].name);
        std::vector<std::vector<double>> world = worldmatrices(f, a, 25);
        std::map<atompair, int> drawn = linesperbond(drawnlines(f, world), bonds, ballcentres(f, world));
        for (const orderedbond &b : bonds)
            EXPECT_EQ(drawn[b.atoms], linesoforder(b.order))
                << atoms[b.atoms.first].name << " " << atoms[b.atoms.second].name;
    }
}

namespace {

// One connected piece of a primitive (a ball, or a bond line's cylinder),
// skinned: its vertices, its material's name, and each vertex's joints
// with their weights.
struct piece {
    std::string material;
    std::vector<xyz> verts;
    std::vector<std::map<int, double>> joints;
    bool cylinder() const { return verts.size() == 32; }
    // The centre of the ring of the cylinder's first (low) or last vertices.
    xyz ring(bool high) const
    {
        xyz c(0, 0, 0);
        for (size_t k = high ? 16 : 0; k < (high ? 32u : 16u); k++)
            c = xyz(c.x + verts[k].x / 16, c.y + verts[k].y / 16, c.z + verts[k].z / 16);
        return c;
    }
};

std::vector<piece> pieces(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    std::vector<piece> out;
    const jvalue &prims = f.json["meshes"][0]["primitives"];
    for (size_t p = 0; p < prims.size(); p++) {
        const jvalue &prim = prims[p];
        std::vector<xyz> verts = skinnedpositions(f, prim, world);
        int w;
        std::vector<double> idx = accessorvalues(f, prim["indices"].integer(), &w);
        std::vector<double> joints = accessorvalues(f, prim["attributes"]["JOINTS_0"].integer(), &w);
        std::vector<double> weights = accessorvalues(f, prim["attributes"]["WEIGHTS_0"].integer(), &w);
        for (auto &part : connectedparts(idx, verts.size())) {
            piece c;
            c.material = f.json["materials"][static_cast<size_t>(prim["material"].integer())]["name"].text;
            for (size_t v : part.second) {
                c.verts.push_back(verts[v]);
                c.joints.emplace_back();
                for (int k = 0; k < 4; k++)
                    if (weights[4 * v + k] > 0)
                        c.joints.back()[static_cast<int>(joints[4 * v + k])] += weights[4 * v + k];
            }
            out.push_back(c);
        }
    }
    return out;
}

// The balls' centres by their joint: the means of their vertices.
std::map<int, xyz> centresof(const std::vector<piece> &pieces)
{
    std::map<int, xyz> out;
    for (const piece &p : pieces)
        if (!p.cylinder()) {
            double n = static_cast<double>(p.verts.size());
            xyz c(0, 0, 0);
            for (const xyz &v : p.verts)
                c = xyz(c.x + v.x / n, c.y + v.y / n, c.z + v.z / n);
            out[p.joints[0].begin()->first] = c;
        }
    return out;
}

// What a bond half was matched to at rest: its bond, its atom, and which of
// its rings lies at the atom (the other lies at the bond's middle).
struct halfof {
    atompair bond;
    int atom;
    bool outerhigh;
};

} // namespace

// Bonds in their atoms' colours: every line of every bond drawn as two
// halves, each from its atom to the bond's middle in its atom's element's
// material, as many per atom as the order says; each skinned as the bond
// it halves (a ring bond's outer rings to their own atoms, the middle rings
// half and half to both); and, with any atom's joint turned, each half's
// outer ring keeps its place at its atom and the two halves of a line keep
// their shared middle ring.
TEST_P(BondOrders, AtomColouredHalvesOnTheirAtomsAndJoinedAtTheMiddle)
{
    std::vector<orderedbond> bonds = importwithorders(samplepath(GetParam()));
    figurebondcolours = BONDCOLOURS_ATOMS;
    glbfile f = writeandread();
    figurebondcolours = BONDCOLOURS_BOND;
    std::set<atompair> rings;
    for (int k = 0; k < nringbonds; k++)
        rings.insert({std::min(ringbonds[k].a, ringbonds[k].b), std::max(ringbonds[k].a, ringbonds[k].b)});
    std::vector<piece> rest = pieces(f, worldmatrices(f));
    std::map<int, xyz> balls = centresof(rest);
    ASSERT_EQ(balls.size(), static_cast<size_t>(natoms));
    for (const piece &p : rest)
        EXPECT_NE(p.material, "bonds");

    std::vector<halfof> matched(rest.size(), {{-1, -1}, -1, false});
    std::map<std::pair<atompair, int>, int> perend;
    for (size_t i = 0; i < rest.size(); i++) {
        const piece &p = rest[i];
        if (!p.cylinder())
            continue;
        int found = 0;
        for (const orderedbond &b : bonds) {
            const xyz &a = balls.at(b.atoms.first), &c = balls.at(b.atoms.second);
            double most = 0.9 * std::min(ballof(b.atoms.first), ballof(b.atoms.second));
            for (int outerhigh = 0; outerhigh < 2; outerhigh++) {
                double tm, offm, to, offo;
                along(a, c, p.ring(!outerhigh), &tm, &offm);
                along(a, c, p.ring(outerhigh), &to, &offo);
                if (std::fabs(tm - 0.5) > 1e-6 || offm > most || offo > most || std::fabs(to - 0.5) < 0.2 ||
                    to < -1e-6 || to > 1 + 1e-6)
                    continue;
                matched[i] = {b.atoms, to < 0.5 ? b.atoms.first : b.atoms.second, outerhigh != 0};
                found++;
            }
        }
        ASSERT_EQ(found, 1) << "a half beside " << found << " bonds";
        const halfof &h = matched[i];
        perend[{h.bond, h.atom}]++;
        EXPECT_EQ(p.material, atoms[h.atom].sort->name) << atoms[h.atom].name;
        // Skinned as the bond it halves.
        bool ring = rings.count(h.bond) != 0;
        int child = atoms[h.bond.second].parent == &atoms[h.bond.first] ? h.bond.second : h.bond.first;
        for (size_t k = 0; k < 32; k++) {
            bool outer = (k >= 16) == h.outerhigh;
            std::map<int, double> want;
            if (!ring)
                want[child] = 1;
            else if (outer)
                want[h.atom] = 1;
            else
                want = {{h.bond.first, 0.5}, {h.bond.second, 0.5}};
            ASSERT_EQ(p.joints[k].size(), want.size()) << atoms[h.atom].name << " vertex " << k;
            for (auto &[j, weight] : want)
                EXPECT_NEAR(p.joints[k].count(j) ? p.joints[k].at(j) : 0, weight, 0.003)
                    << atoms[h.atom].name;
        }
    }
    for (const orderedbond &b : bonds) {
        EXPECT_EQ((perend[{b.atoms, b.atoms.first}]), linesoforder(b.order)) << atoms[b.atoms.first].name;
        EXPECT_EQ((perend[{b.atoms, b.atoms.second}]), linesoforder(b.order)) << atoms[b.atoms.second].name;
    }

    for (int turned = 1; turned < natoms; turned++) {
        SCOPED_TRACE(atoms[turned].name);
        std::vector<piece> posed = pieces(f, worldmatrices(f, turned, 25));
        std::map<int, xyz> now = centresof(posed);
        for (size_t i = 0; i < rest.size(); i++) {
            const halfof &h = matched[i];
            if (h.atom < 0)
                continue;
            EXPECT_NEAR(distance(posed[i].ring(h.outerhigh), now.at(h.atom)),
                        distance(rest[i].ring(h.outerhigh), balls.at(h.atom)), 1e-4)
                << atoms[h.atom].name << " of " << atoms[h.bond.first].name << " "
                << atoms[h.bond.second].name;
            // Its partner: the other atom's half whose middle ring is this one's.
            int partners = 0;
            for (size_t k = 0; k < rest.size(); k++) {
                if (matched[k].bond != h.bond || matched[k].atom == h.atom ||
                    distance(rest[k].ring(!matched[k].outerhigh), rest[i].ring(!h.outerhigh)) > 1e-6)
                    continue;
                partners++;
                EXPECT_LT(distance(posed[k].ring(!matched[k].outerhigh), posed[i].ring(!h.outerhigh)), 1e-5);
            }
            EXPECT_EQ(partners, 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, BondOrders,
                         ::testing::Values("acetone.mol2", "propyne.cml", "benzene.mol",
                                           "benzene_aromatic.sdf", "caffeine.sdf"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// The lines of each order at bond radii from thin to thick against balls
// from small to large: as many as the order says, apart by a margin, and
// reaching no wider than nine tenths of the smaller ball (a single bond is
// drawn as always, whatever the balls).
TEST(BondLayout, LinesApartAndInsideTheBalls)
{
    const int counts[5] = {0, 1, 2, 3, 2};
    for (int order = 1; order <= 4; order++)
        for (double radius : {0.02, 0.08, 0.2})
            for (double ball : {0.0, 0.1, 0.155, 0.38, 1.0}) {
                SCOPED_TRACE(std::to_string(order) + " " + std::to_string(radius) + " " +
                             std::to_string(ball));
                bondline l[MAXBONDLINES];
                int n = bondlayout(order, radius, ball, l);
                ASSERT_EQ(n, counts[order]);
                for (int i = 0; i < n; i++) {
                    EXPECT_GT(l[i].radius, 0);
                    EXPECT_GE(l[i].from, 0);
                    EXPECT_LE(l[i].to, 1);
                    EXPECT_LT(l[i].from, l[i].to);
                    if (order != 1 && ball > 0) {
                        EXPECT_LE(std::fabs(l[i].offset) + l[i].radius, 0.9 * ball + 1e-12);
                    }
                    for (int j = 0; j < i; j++)
                        EXPECT_GT(std::fabs(l[i].offset - l[j].offset), 1.2 * (l[i].radius + l[j].radius));
                }
                if (order == 1) {
                    EXPECT_EQ(l[0].offset, 0);
                    EXPECT_EQ(l[0].radius, radius);
                }
            }
}
