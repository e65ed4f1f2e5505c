#include "import/elements.h"

#include <cctype>
#include <cstring>

#include "base/nocase.h"

namespace importer {

namespace {

// Covalent radii: B. Cordero, V. Gomez, A. E. Platero-Prats, M. Reves,
// J. Echeverria, E. Cremades, F. Barragan, S. Alvarez, "Covalent radii
// revisited", Dalton Trans. 2008, 2832-2838, Table 2: hydrogen to curium.
// Carbon takes its sp3 value (0.76; sp2 0.73, sp 0.69) and manganese, iron
// and cobalt their low-spin values (1.39, 1.32, 1.26), as most chemistry
// programs do. Elements the paper does not cover get 1.5.
//
// Colours: the Jmol element colours (the "CPK" scheme of Jmol, itself based
// on RasMol's), hydrogen to meitnerium. The heavier elements, which that
// table leaves out, all get one loud colour (deep pink) that no listed
// element has, so that they stand out rather than pass for another.
#define RGB(hex)                                                                                             \
    static_cast<unsigned char>((hex) >> 16), static_cast<unsigned char>(((hex) >> 8) & 0xFF),                \
        static_cast<unsigned char>((hex)&0xFF)
const unsigned UNKNOWNCOLOUR = 0xFF1493;

const elementinfo TABLE[LASTELEMENT + 1] = {
    {"", 0.0, 0, 0, 0},
    {"H", 0.31, RGB(0xFFFFFF)},
    {"He", 0.28, RGB(0xD9FFFF)},
    {"Li", 1.28, RGB(0xCC80FF)},
    {"Be", 0.96, RGB(0xC2FF00)},
    {"B", 0.84, RGB(0xFFB5B5)},
    {"C", 0.76, RGB(0x909090)},
    {"N", 0.71, RGB(0x3050F8)},
    {"O", 0.66, RGB(0xFF0D0D)},
    {"F", 0.57, RGB(0x90E050)},
    {"Ne", 0.58, RGB(0xB3E3F5)},
    {"Na", 1.66, RGB(0xAB5CF2)},
    {"Mg", 1.41, RGB(0x8AFF00)},
    {"Al", 1.21, RGB(0xBFA6A6)},
    {"Si", 1.11, RGB(0xF0C8A0)},
    {"P", 1.07, RGB(0xFF8000)},
    {"S", 1.05, RGB(0xFFFF30)},
    {"Cl", 1.02, RGB(0x1FF01F)},
    {"Ar", 1.06, RGB(0x80D1E3)},
    {"K", 2.03, RGB(0x8F40D4)},
    {"Ca", 1.76, RGB(0x3DFF00)},
    {"Sc", 1.70, RGB(0xE6E6E6)},
    {"Ti", 1.60, RGB(0xBFC2C7)},
    {"V", 1.53, RGB(0xA6A6AB)},
    {"Cr", 1.39, RGB(0x8A99C7)},
    {"Mn", 1.39, RGB(0x9C7AC7)},
    {"Fe", 1.32, RGB(0xE06633)},
    {"Co", 1.26, RGB(0xF090A0)},
    {"Ni", 1.24, RGB(0x50D050)},
    {"Cu", 1.32, RGB(0xC88033)},
    {"Zn", 1.22, RGB(0x7D80B0)},
    {"Ga", 1.22, RGB(0xC28F8F)},
    {"Ge", 1.20, RGB(0x668F8F)},
    {"As", 1.19, RGB(0xBD80E3)},
    {"Se", 1.20, RGB(0xFFA100)},
    {"Br", 1.20, RGB(0xA62929)},
    {"Kr", 1.16, RGB(0x5CB8D1)},
    {"Rb", 2.20, RGB(0x702EB0)},
    {"Sr", 1.95, RGB(0x00FF00)},
    {"Y", 1.90, RGB(0x94FFFF)},
    {"Zr", 1.75, RGB(0x94E0E0)},
    {"Nb", 1.64, RGB(0x73C2C9)},
    {"Mo", 1.54, RGB(0x54B5B5)},
    {"Tc", 1.47, RGB(0x3B9E9E)},
    {"Ru", 1.46, RGB(0x248F8F)},
    {"Rh", 1.42, RGB(0x0A7D8C)},
    {"Pd", 1.39, RGB(0x006985)},
    {"Ag", 1.45, RGB(0xC0C0C0)},
    {"Cd", 1.44, RGB(0xFFD98F)},
    {"In", 1.42, RGB(0xA67573)},
    {"Sn", 1.39, RGB(0x668080)},
    {"Sb", 1.39, RGB(0x9E63B5)},
    {"Te", 1.38, RGB(0xD47A00)},
    {"I", 1.39, RGB(0x940094)},
    {"Xe", 1.40, RGB(0x429EB0)},
    {"Cs", 2.44, RGB(0x57178F)},
    {"Ba", 2.15, RGB(0x00C900)},
    {"La", 2.07, RGB(0x70D4FF)},
    {"Ce", 2.04, RGB(0xFFFFC7)},
    {"Pr", 2.03, RGB(0xD9FFC7)},
    {"Nd", 2.01, RGB(0xC7FFC7)},
    {"Pm", 1.99, RGB(0xA3FFC7)},
    {"Sm", 1.98, RGB(0x8FFFC7)},
    {"Eu", 1.98, RGB(0x61FFC7)},
    {"Gd", 1.96, RGB(0x45FFC7)},
    {"Tb", 1.94, RGB(0x30FFC7)},
    {"Dy", 1.92, RGB(0x1FFFC7)},
    {"Ho", 1.92, RGB(0x00FF9C)},
    {"Er", 1.89, RGB(0x00E675)},
    {"Tm", 1.90, RGB(0x00D452)},
    {"Yb", 1.87, RGB(0x00BF38)},
    {"Lu", 1.87, RGB(0x00AB24)},
    {"Hf", 1.75, RGB(0x4DC2FF)},
    {"Ta", 1.70, RGB(0x4DA6FF)},
    {"W", 1.62, RGB(0x2194D6)},
    {"Re", 1.51, RGB(0x267DAB)},
    {"Os", 1.44, RGB(0x266696)},
    {"Ir", 1.41, RGB(0x175487)},
    {"Pt", 1.36, RGB(0xD0D0E0)},
    {"Au", 1.36, RGB(0xFFD123)},
    {"Hg", 1.32, RGB(0xB8B8D0)},
    {"Tl", 1.45, RGB(0xA6544D)},
    {"Pb", 1.46, RGB(0x575961)},
    {"Bi", 1.48, RGB(0x9E4FB5)},
    {"Po", 1.40, RGB(0xAB5C00)},
    {"At", 1.50, RGB(0x754F45)},
    {"Rn", 1.50, RGB(0x428296)},
    {"Fr", 2.60, RGB(0x420066)},
    {"Ra", 2.21, RGB(0x007D00)},
    {"Ac", 2.15, RGB(0x70ABFA)},
    {"Th", 2.06, RGB(0x00BAFF)},
    {"Pa", 2.00, RGB(0x00A1FF)},
    {"U", 1.96, RGB(0x008FFF)},
    {"Np", 1.90, RGB(0x0080FF)},
    {"Pu", 1.87, RGB(0x006BFF)},
    {"Am", 1.80, RGB(0x545CF2)},
    {"Cm", 1.69, RGB(0x785CE3)},
    {"Bk", 1.5, RGB(0x8A4FE3)},
    {"Cf", 1.5, RGB(0xA136D4)},
    {"Es", 1.5, RGB(0xB31FD4)},
    {"Fm", 1.5, RGB(0xB31FBA)},
    {"Md", 1.5, RGB(0xB30DA6)},
    {"No", 1.5, RGB(0xBD0D87)},
    {"Lr", 1.5, RGB(0xC70066)},
    {"Rf", 1.5, RGB(0xCC0059)},
    {"Db", 1.5, RGB(0xD1004F)},
    {"Sg", 1.5, RGB(0xD90045)},
    {"Bh", 1.5, RGB(0xE00038)},
    {"Hs", 1.5, RGB(0xE6002E)},
    {"Mt", 1.5, RGB(0xEB0026)},
    {"Ds", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Rg", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Cn", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Nh", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Fl", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Mc", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Lv", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Ts", 1.5, RGB(UNKNOWNCOLOUR)},
    {"Og", 1.5, RGB(UNKNOWNCOLOUR)},
};
#undef RGB

} // namespace

int elementnumber(const std::string &symbol)
{
    if (symbol.empty() || symbol.size() > 2)
        return 0;
    for (int z = 1; z <= LASTELEMENT; z++) {
        const char *s = TABLE[z].symbol;
        if (std::strlen(s) == symbol.size() && samenocasen(symbol.data(), s, symbol.size()))
            return z;
    }
    return 0;
}

symbolread readsymbol(const std::string &symbol)
{
    symbolread r;
    std::string u;
    for (char c : symbol)
        u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u == "D" || u == "T") {
        r.kind = symbolread::ELEMENT;
        r.z = 1;
        r.isotope = u[0];
        return r;
    }
    r.z = elementnumber(u);
    if (r.z) {
        r.kind = symbolread::ELEMENT;
        return r;
    }
    bool rgroup = !u.empty() && u[0] == 'R';
    for (size_t i = 1; i < u.size() && rgroup; i++)
        rgroup = std::isdigit(static_cast<unsigned char>(u[i])) || (i == 1 && u[i] == '#');
    if (rgroup || u == "X" || u == "XX" || u == "*" || u == "DU" || u == "LP" || u == "Q" || u == "A" ||
        u == "L")
        r.kind = symbolread::DUMMY;
    return r;
}

// The most bonds of each element: the "maximum bond count" column of the
// element table of the Blue Obelisk Data Repository as Open Babel uses it
// for bond perception (H and the halogens 1, O 2, N 4, C 4, S and P 6,
// transition metals 6, ...), with oxygen raised to 3 so that a water or
// hydroxide bound to a metal, and oxonium, keep all their bonds. Noble gases
// get 0: they form no bond from distances.
int maxbonds(int z)
{
    static const unsigned char MAXBONDS[LASTELEMENT + 1] = {
        0,  1, 0,                                     // H He
        1,  2, 4, 4, 4, 3, 1, 0,                      // Li Be B C N O F Ne
        1,  2, 6, 6, 6, 6, 1, 0,                      // Na Mg Al Si P S Cl Ar
        1,  2,                                        // K Ca
        6,  6, 6, 6, 8, 6, 6, 6, 6, 6,                // Sc-Zn
        3,  4, 3, 2, 1, 0,                            // Ga Ge As Se Br Kr
        1,  2,                                        // Rb Sr
        6,  6, 6, 6, 6, 6, 6, 6, 6, 6,                // Y-Cd
        3,  4, 3, 2, 1, 0,                            // In Sn Sb Te I Xe
        1,  2,                                        // Cs Ba
        12, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // La-Lu
        6,  6, 6, 6, 6, 6, 6, 6, 6,                   // Hf-Hg
        3,  4, 3, 2, 1, 0,                            // Tl Pb Bi Po At Rn
        1,  2,                                        // Fr Ra
        6,  6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // Ac-Lr
        6,  6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // Rf-Og
    };
    if (z < 1 || z > LASTELEMENT)
        return 0;
    return MAXBONDS[z];
}

bool ismetal(int z)
{
    // The non-metals and the metalloids; every other element is a metal.
    static const int NONMETALS[] = {1,  2,  5,  6,  7,  8,  9,  10, 14, 15, 16, 17,  18,
                                    32, 33, 34, 35, 36, 51, 52, 53, 54, 85, 86, 117, 118};
    for (int n : NONMETALS)
        if (n == z)
            return false;
    return z >= 1 && z <= LASTELEMENT;
}

const elementinfo &element_of(int z)
{
    if (z < 1 || z > LASTELEMENT)
        return TABLE[0];
    return TABLE[z];
}

} // namespace importer
