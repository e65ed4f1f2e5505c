// Bonds to metals and bonds of equal length where a maximum cuts: complexes
// built from published geometry, a rock-salt cell, and the cases that were
// read wrongly, each checked bond by bond.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "import/bonds.h"
#include "importtest.h"

using namespace importer;

namespace {

const double PI = 3.14159265358979323846;

struct xyzatom {
    const char *element;
    double x, y, z;
};

std::string xyz(const std::vector<xyzatom> &atoms)
{
    std::string t = std::to_string(atoms.size()) + "\nbuilt\n";
    char line[128];
    for (const xyzatom &a : atoms) {
        std::snprintf(line, sizeof line, "%s %.6f %.6f %.6f\n", a.element, a.x, a.y, a.z);
        t += line;
    }
    return t;
}

// A flat ring of n carbons, each with its hydrogen pointing out, at height
// z about the z axis: ring bond cc, carbon-hydrogen ch.
void ring(std::vector<xyzatom> &atoms, int n, double cc, double ch, double z)
{
    double r = cc / (2 * std::sin(PI / n));
    for (int k = 0; k < n; k++) {
        double a = 2 * PI * k / n;
        atoms.push_back({"C", r * std::cos(a), r * std::sin(a), z});
    }
    for (int k = 0; k < n; k++) {
        double a = 2 * PI * k / n;
        atoms.push_back({"H", (r + ch) * std::cos(a), (r + ch) * std::sin(a), z});
    }
}

// Ferrocene, eclipsed, as gas-phase electron diffraction gives it
// (Haaland 1979): Fe-C 2.064, C-C 1.440, C-H 1.104.
std::string ferrocene()
{
    std::vector<xyzatom> atoms{{"Fe", 0, 0, 0}};
    double r = 1.440 / (2 * std::sin(PI / 5));
    double h = std::sqrt(2.064 * 2.064 - r * r);
    ring(atoms, 5, 1.440, 1.104, h);
    ring(atoms, 5, 1.440, 1.104, -h);
    return xyz(atoms);
}

// (Benzene)chromium tricarbonyl (Rees and Coppens 1973): Cr-C(ring) 2.22,
// C-C 1.41, C-H 1.08, Cr-C(O) 1.84, C-O 1.16, the carbonyls 88 degrees
// apart: nine carbons on the chromium.
std::string benzenechromium()
{
    std::vector<xyzatom> atoms{{"Cr", 0, 0, 0}};
    double h = std::sqrt(2.22 * 2.22 - 1.41 * 1.41);
    ring(atoms, 6, 1.41, 1.08, -h);
    double c2 = (2 * std::cos(88 * PI / 180) + 1) / 3; // cos^2 of the legs' tilt
    double ct = std::sqrt(c2), st = std::sqrt(1 - c2);
    for (int k = 0; k < 3; k++) {
        double a = 2 * PI * k / 3 + PI / 6;
        double ux = st * std::cos(a), uy = st * std::sin(a);
        atoms.push_back({"C", 1.84 * ux, 1.84 * uy, 1.84 * ct});
        atoms.push_back({"O", 3.00 * ux, 3.00 * uy, 3.00 * ct});
    }
    return xyz(atoms);
}

// Chromium hexacarbonyl (Jost and Rees): Cr-C 1.918, C-O 1.141.
std::string hexacarbonyl()
{
    std::vector<xyzatom> atoms{{"Cr", 0, 0, 0}};
    const double axes[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto &u : axes) {
        atoms.push_back({"C", 1.918 * u[0], 1.918 * u[1], 1.918 * u[2]});
        atoms.push_back({"O", 3.059 * u[0], 3.059 * u[1], 3.059 * u[2]});
    }
    return xyz(atoms);
}

double length(const inmolecule &m, int i, int j)
{
    double dx = m.atoms[i].x - m.atoms[j].x, dy = m.atoms[i].y - m.atoms[j].y,
           dz = m.atoms[i].z - m.atoms[j].z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Bonds by the elements of their atoms, as "C-Fe" (symbols in order).
std::map<std::string, int> bykind(const inmolecule &m, const bondlist &bonds)
{
    static const std::map<int, std::string> SYMBOL{{1, "H"},   {6, "C"},   {8, "O"},  {11, "Na"},
                                                   {17, "Cl"}, {24, "Cr"}, {26, "Fe"}};
    std::map<std::string, int> out;
    for (const auto &b : bonds) {
        std::string s = SYMBOL.at(m.atoms[b.first].element), t = SYMBOL.at(m.atoms[b.second].element);
        out[s < t ? s + "-" + t : t + "-" + s]++;
    }
    return out;
}

// Each atom's contacts of its shortest length (within TIE) under the
// distance rule are all bonds or none: no arbitrary few of equal ones.
void tiesgotogether(const char *name, const inmolecule &m, const bondlist &bonds)
{
    for (size_t i = 0; i < m.atoms.size(); i++) {
        std::vector<std::pair<double, int>> near;
        for (size_t j = 0; j < m.atoms.size(); j++)
            if (j != i && bonded(m.atoms[i], m.atoms[j]))
                near.push_back({length(m, int(i), int(j)), int(j)});
        if (near.empty())
            continue;
        std::sort(near.begin(), near.end());
        int kept = 0, equal = 0;
        for (const auto &n : near) {
            if (n.first > near[0].first + TIE)
                break;
            equal++;
            std::pair<int, int> b{std::min(int(i), n.second), std::max(int(i), n.second)};
            kept += std::binary_search(bonds.begin(), bonds.end(), b);
        }
        EXPECT_TRUE(kept == 0 || kept == equal)
            << name << ": atom " << i + 1 << " keeps " << kept << " of " << equal << " equal contacts";
    }
}

} // namespace

TEST(Metals, BondsAsTheGeometryGivesThem)
{
    struct complexcase {
        const char *name;
        inputformat format;
        std::string text;
        std::map<std::string, int> kinds;
    };
    const complexcase cases[] = {
        // The cap of six on iron cut four of the ten Fe-C bonds.
        {"ferrocene_all_ten_iron_carbon_bonds",
         FORMAT_XYZ,
         ferrocene(),
         {{"C-C", 10}, {"C-H", 10}, {"C-Fe", 10}}},
        {"benzene_chromium_tricarbonyl_nine_chromium_carbon_bonds",
         FORMAT_XYZ,
         benzenechromium(),
         {{"C-C", 6}, {"C-H", 6}, {"C-Cr", 9}, {"C-O", 3}}},
        {"chromium_hexacarbonyl", FORMAT_XYZ, hexacarbonyl(), {{"C-Cr", 6}, {"C-O", 6}}},
        // Each chlorine has three equal sodiums in the cell and takes one
        // bond at most: none of the three, rather than one of them at random.
        {"rock_salt_no_arbitrary_contacts", FORMAT_CIF, "", {}},
        // A hydrogen midway between two oxygens takes neither bond.
        {"hydrogen_midway_takes_neither", FORMAT_XYZ, "3\nsym\nO 0 0 0\nH 1.2 0 0\nO 2.4 0 0\n", {}},
    };
    for (const complexcase &c : cases) {
        inmolecule m;
        problem p;
        if (c.format == FORMAT_CIF)
            m = readsample(sample("nacl.cif"));
        else
            ASSERT_EQ(readtext(c.format, c.text, m, p), 1) << c.name << ": " << p.detail;
        bondlist bonds;
        ASSERT_EQ(findbonds(m, "t", bonds, p), 1) << c.name << ": " << p.detail;
        EXPECT_EQ(bykind(m, bonds), c.kinds) << c.name;
        tiesgotogether(c.name, m, bonds);
    }
}

TEST(Metals, TiesAtACutGoTogetherWhereverTheAtomsStand)
{
    // A carbon with five equal contacts keeps none of them, in whatever
    // order the file lists the atoms.
    std::vector<xyzatom> atoms{{"C", 0, 0, 0}};
    for (int k = 0; k < 5; k++) {
        double a = 2 * PI * k / 5;
        atoms.push_back({"H", 1.09 * std::cos(a), 1.09 * std::sin(a), 0});
    }
    for (int turn = 0; turn < 6; turn++) {
        inmolecule m;
        problem p;
        ASSERT_EQ(readtext(FORMAT_XYZ, xyz(atoms), m, p), 1);
        bondlist bonds;
        ASSERT_EQ(findbonds(m, "t", bonds, p), 1);
        EXPECT_TRUE(bonds.empty()) << "turn " << turn << ": " << bonds.size() << " bonds";
        std::rotate(atoms.begin(), atoms.begin() + 1, atoms.end());
    }
    // One longer than the others by more than TIE goes alone.
    atoms = {{"C", 0, 0, 0}};
    for (int k = 0; k < 5; k++) {
        double a = 2 * PI * k / 5, l = k == 4 ? 1.12 : 1.09;
        atoms.push_back({"H", l * std::cos(a), l * std::sin(a), 0});
    }
    inmolecule m;
    problem p;
    ASSERT_EQ(readtext(FORMAT_XYZ, xyz(atoms), m, p), 1);
    bondlist bonds;
    ASSERT_EQ(findbonds(m, "t", bonds, p), 1);
    EXPECT_EQ(bonds, (bondlist{{0, 1}, {0, 2}, {0, 3}, {0, 4}}));
}
