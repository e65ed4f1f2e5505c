#include "writers/gltf/glblook.h"

#include "base/nocase.h"

glbstyle figurestyle = STYLE_BALLANDSTICK;
glbbondcolours figurebondcolours = BONDCOLOURS_BOND;

int bondcoloursofname(const char *name, glbbondcolours *out)
{
    if (samenocase(name, "bond"))
        *out = BONDCOLOURS_BOND;
    else if (samenocase(name, "atoms"))
        *out = BONDCOLOURS_ATOMS;
    else
        return 0;
    return 1;
}

int styleofname(const char *name, glbstyle *out)
{
    static const struct {
        const char *name;
        glbstyle style;
    } names[] = {
        {"ball-and-stick", STYLE_BALLANDSTICK}, {"spacefill", STYLE_SPACEFILL}, {"sticks", STYLE_STICKS}};
    for (const auto &n : names)
        if (samenocase(name, n.name)) {
            *out = n.style;
            return 1;
        }
    return 0;
}

namespace {

struct vdw {
    const char *symbol;
    double radius;
};

// A. Bondi, van der Waals Volumes and Radii, J. Phys. Chem. 68 (1964) 441.
const vdw BONDI[] = {
    {"H", 1.20},  {"He", 1.40}, {"Li", 1.82}, {"C", 1.70},  {"N", 1.55},  {"O", 1.52},  {"F", 1.47},
    {"Ne", 1.54}, {"Na", 2.27}, {"Mg", 1.73}, {"Si", 2.10}, {"P", 1.80},  {"S", 1.80},  {"Cl", 1.75},
    {"Ar", 1.88}, {"K", 2.75},  {"Ni", 1.63}, {"Cu", 1.40}, {"Zn", 1.39}, {"Ga", 1.87}, {"As", 1.85},
    {"Se", 1.90}, {"Br", 1.85}, {"Kr", 2.02}, {"Pd", 1.63}, {"Ag", 1.72}, {"Cd", 1.58}, {"In", 1.93},
    {"Sn", 2.17}, {"Te", 2.06}, {"I", 1.98},  {"Xe", 2.16}, {"Pt", 1.72}, {"Au", 1.66}, {"Hg", 1.55},
    {"Tl", 1.96}, {"Pb", 2.02}, {"U", 1.86},
};

// S. Alvarez, A cartography of the van der Waals territories, Dalton
// Trans. 42 (2013) 8617: the elements Bondi gives no radius (Alvarez gives
// none for Pm, Po, At, Rn, Fr, Ra and the elements after Es).
const vdw ALVAREZ[] = {
    {"Be", 1.98}, {"B", 1.91},  {"Al", 2.25}, {"Ca", 2.62}, {"Sc", 2.58}, {"Ti", 2.46}, {"V", 2.42},
    {"Cr", 2.45}, {"Mn", 2.45}, {"Fe", 2.44}, {"Co", 2.40}, {"Ge", 2.29}, {"Rb", 3.21}, {"Sr", 2.84},
    {"Y", 2.75},  {"Zr", 2.52}, {"Nb", 2.56}, {"Mo", 2.45}, {"Tc", 2.44}, {"Ru", 2.46}, {"Rh", 2.44},
    {"Sb", 2.47}, {"Cs", 3.48}, {"Ba", 3.03}, {"La", 2.98}, {"Ce", 2.88}, {"Pr", 2.92}, {"Nd", 2.95},
    {"Sm", 2.90}, {"Eu", 2.87}, {"Gd", 2.83}, {"Tb", 2.79}, {"Dy", 2.87}, {"Ho", 2.81}, {"Er", 2.83},
    {"Tm", 2.79}, {"Yb", 2.80}, {"Lu", 2.74}, {"Hf", 2.63}, {"Ta", 2.53}, {"W", 2.57},  {"Re", 2.49},
    {"Os", 2.48}, {"Ir", 2.41}, {"Bi", 2.54}, {"Ac", 2.80}, {"Th", 2.93}, {"Pa", 2.88}, {"Np", 2.82},
    {"Pu", 2.81}, {"Am", 2.83}, {"Cm", 3.05}, {"Bk", 3.40}, {"Cf", 3.05}, {"Es", 2.70},
};

} // namespace

double vdwradius(const char *symbol)
{
    for (const vdw &v : BONDI)
        if (samenocase(symbol, v.symbol))
            return v.radius;
    for (const vdw &v : ALVAREZ)
        if (samenocase(symbol, v.symbol))
            return v.radius;
    return VDWFALLBACK;
}
