// Crystal CIF files become the whole content of one unit cell with every
// molecule whole: a molecule the cell's faces cut is put together from the
// atoms that are there, moved by whole cell vectors; a network through the
// crystal (a salt, a chain) stays as the cell gives it. Cells written here,
// and Debian's crystal files where installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "import/bonds.h"
#include "import/elements.h"
#include "importtest.h"

using namespace importer;

namespace {

const double PI = 3.14159265358979323846;

struct placedatom {
    const char *element;
    double x, y, z; // Cartesian, Angstrom
};

// A P1 cell of edges a, b, c, angle beta between a and c (the others 90),
// holding the atoms given in Cartesian coordinates (a along x, b along y),
// each written at its fractional place moved into the cell.
std::string p1cell(double a, double b, double c, double beta, const std::vector<placedatom> &atoms)
{
    char line[160];
    std::snprintf(line, sizeof line,
                  "data_built\n_cell_length_a %.4f\n_cell_length_b %.4f\n_cell_length_c %.4f\n"
                  "_cell_angle_alpha 90\n_cell_angle_beta %.4f\n_cell_angle_gamma 90\n",
                  a, b, c, beta);
    std::string t = line;
    t += "_symmetry_space_group_name_H-M 'P 1'\nloop_\n_atom_site_label\n_atom_site_type_symbol\n"
         "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n";
    double cb = std::cos(beta * PI / 180), sb = std::sin(beta * PI / 180);
    int k = 0;
    for (const placedatom &p : atoms) {
        double w = p.z / (c * sb), u = (p.x - w * c * cb) / a, v = p.y / b;
        u -= std::floor(u);
        v -= std::floor(v);
        w -= std::floor(w);
        std::snprintf(line, sizeof line, "%s%d %s %.6f %.6f %.6f\n", p.element, ++k, p.element, u, v, w);
        t += line;
    }
    return t;
}

// Ferrocene (Haaland 1979: Fe-C 2.064, C-C 1.440, C-H 1.104) with its iron
// at (x, y, z), its axis tilted so that no two rings' atoms line up.
void ferrocene(std::vector<placedatom> &atoms, double x, double y, double z)
{
    atoms.push_back({"Fe", x, y, z});
    double r = 1.440 / (2 * std::sin(PI / 5));
    double h = std::sqrt(2.064 * 2.064 - r * r);
    double tilt = 0.3, ct = std::cos(tilt), st = std::sin(tilt);
    for (double side : {h, -h})
        for (double radius : {r, r + 1.104})
            for (int k = 0; k < 5; k++) {
                double a = 2 * PI * k / 5;
                double px = radius * std::cos(a), py = radius * std::sin(a), pz = side;
                atoms.push_back(
                    {radius == r ? "C" : "H", x + px, y + py * ct - pz * st, z + py * st + pz * ct});
            }
}

void water(std::vector<placedatom> &atoms, double x, double y, double z)
{
    atoms.push_back({"O", x, y, z});
    atoms.push_back({"H", x + 0.96, y, z});
    atoms.push_back({"H", x - 0.24, y + 0.93, z});
}

// A ferrocene about each corner of the cell, so that its atoms lie across
// every face, and a water across each face pair on its own (the cell's
// monoclinic angle checks that the faces are the cell's, not a box's).
std::string acrosseveryface()
{
    std::vector<placedatom> atoms;
    ferrocene(atoms, 0, 0, 0);
    double c = 11, beta = 100 * PI / 180;
    double cx = c * std::cos(beta), cz = c * std::sin(beta); // the c edge
    water(atoms, 11.8, 5, 0.5 * cz);                         // across the a faces
    water(atoms, 0.5 * cx + 5, 10.5, 0.5 * cz);              // across the b faces
    water(atoms, 0.4 * cx + 4, 3, cz - 0.3);                 // across the c faces
    return p1cell(12, 11, c, 100, atoms);
}

// A chain of carbons 1.5 A apart along a: each bonds to the next cell's.
std::string carbonchain() { return p1cell(3, 10, 10, 90, {{"C", 0.2, 5, 5}, {"C", 1.7, 5, 5}}); }

struct crystalcase {
    const char *name;
    std::string (*text)(); // null: the file at path
    const char *path;      // a sample (relative) or an installed file (absolute)
    size_t atoms, bonds, parts;
    int metalcarbons; // bonds of each metal to carbon; -1: none checked
    double longest;   // the longest bond at most (Angstrom)
    double cell[3];   // an orthogonal cell's edges: every atom within it; 0: not checked
};

// The parts that bonds join.
size_t parts(size_t n, const bondlist &bonds)
{
    std::vector<size_t> up(n);
    std::iota(up.begin(), up.end(), 0);
    auto top = [&](size_t i) {
        while (up[i] != i)
            i = up[i] = up[up[i]];
        return i;
    };
    for (const auto &b : bonds)
        up[top(static_cast<size_t>(b.first))] = top(static_cast<size_t>(b.second));
    size_t count = 0;
    for (size_t i = 0; i < n; i++)
        count += top(i) == i;
    return count;
}

void PrintTo(const crystalcase &c, std::ostream *os) { *os << c.name; }

class Crystal : public ::testing::TestWithParam<crystalcase> {};

TEST_P(Crystal, WholeMoleculesOfOneCell)
{
    const crystalcase &c = GetParam();
    inmolecule m;
    problem p;
    if (c.text) {
        ASSERT_EQ(readtext(FORMAT_CIF, c.text(), m, p), 1) << p.what << ": " << p.detail;
    } else {
        std::string path = c.path[0] == '/' ? std::string(c.path) : sample(c.path);
        if (!std::ifstream(path))
            GTEST_SKIP() << path << " is not installed (Debian's libavogadro-data has it)";
        ASSERT_EQ(readinput(path, m, p), 1) << p.what << ": " << p.detail;
    }
    bondlist bonds = allbonds(m);
    EXPECT_EQ(m.atoms.size(), c.atoms);
    EXPECT_EQ(bonds.size(), c.bonds);
    EXPECT_EQ(parts(m.atoms.size(), bonds), c.parts);
    std::vector<int> metalcarbons(m.atoms.size(), 0);
    for (const auto &b : bonds) {
        const inatom &x = m.atoms[static_cast<size_t>(b.first)], &y = m.atoms[static_cast<size_t>(b.second)];
        EXPECT_LE(std::sqrt(distance2(x, y)), c.longest) << "atoms " << b.first << " and " << b.second;
        metalcarbons[static_cast<size_t>(b.first)] += ismetal(x.element) && y.element == 6;
        metalcarbons[static_cast<size_t>(b.second)] += ismetal(y.element) && x.element == 6;
    }
    for (size_t i = 0; i < m.atoms.size(); i++) {
        bool metal = c.metalcarbons >= 0 && ismetal(m.atoms[i].element);
        EXPECT_EQ(metal ? metalcarbons[i] : 0, metal ? c.metalcarbons : 0) << "atom " << i;
        if (c.cell[0] > 0) {
            const double at[3] = {m.atoms[i].x, m.atoms[i].y, m.atoms[i].z};
            for (int axis = 0; axis < 3; axis++) {
                EXPECT_GE(at[axis], -1e-9) << "atom " << i;
                EXPECT_LT(at[axis], c.cell[axis]) << "atom " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, Crystal,
    ::testing::Values(
        // Once 15 pieces, 13 of them lone hydrogens: the cell's faces cut
        // its molecules. A ferrocene across every face: 21 atoms, 30
        // bonds (10 Fe-C); the waters whole.
        crystalcase{"crystal_cut_at_cell_faces", acrosseveryface, nullptr, 30, 36, 4, 10, 2.1, {0, 0, 0}},
        // Each ion's six equal contacts at a cap of one: no bonds, and
        // nothing moves.
        crystalcase{
            "rock_salt_stays_as_the_cell_gives_it", nullptr, "nacl.cif", 8, 0, 8, -1, 0, {5.64, 5.64, 5.64}},
        // A chain bonded on through the cell's faces has no whole molecule.
        crystalcase{"network_stays_in_the_cell", carbonchain, nullptr, 2, 1, 1, -1, 1.6, {3, 10, 10}},
        crystalcase{"debian_ferrocene",
                    nullptr,
                    "/usr/share/avogadro2/crystals/other/C10H10Fe-Ferrocene.cif",
                    42,
                    60,
                    2,
                    10,
                    2.2,
                    {0, 0, 0}},
        crystalcase{"debian_halite",
                    nullptr,
                    "/usr/share/avogadro2/crystals/halides/NaCl-Halite.cif",
                    8,
                    0,
                    8,
                    -1,
                    0,
                    {0, 0, 0}}),
    [](const ::testing::TestParamInfo<crystalcase> &i) { return std::string(i.param.name); });

} // namespace
