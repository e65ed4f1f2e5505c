// How the glTF figure draws its atoms and bonds: the style chosen on the
// command line (the Poser files know none).
//   ball and stick: balls of the description's radius, bonds of its bond
//                   radius (the default, as the figure always was);
//   spacefill:      balls of the element's van der Waals radius, no bond
//                   cylinders (the bones are as in every style);
//   sticks:         balls of exactly the bond radius, so that bonds and
//                   atoms make smooth sticks.
// And the colour of the bonds: the description's bond colour (the default),
// or each half of a bond, from an atom's centre to the bond's middle, in
// its atom's material.
#pragma once

enum glbstyle { STYLE_BALLANDSTICK, STYLE_SPACEFILL, STYLE_STICKS };

// The style of the figures built from now on.
extern glbstyle figurestyle;

enum glbbondcolours { BONDCOLOURS_BOND, BONDCOLOURS_ATOMS };

// The colour of the bonds of the figures built from now on.
extern glbbondcolours figurebondcolours;

// The bond colour a name given on the command line names ("bond", "atoms",
// in any case); 0 when it names none.
int bondcoloursofname(const char *name, glbbondcolours *out);

// The style a name given on the command line names ("ball-and-stick",
// "spacefill", "sticks", in any case); 0 when it names none.
int styleofname(const char *name, glbstyle *out);

// An element's van der Waals radius (Angstrom) by its symbol, in any case:
// Bondi's (1964) table, Alvarez's (2013) for the elements Bondi lacks, and
// VDWFALLBACK for a name that is neither (an element the description names
// otherwise than by its symbol).
double vdwradius(const char *symbol);
const double VDWFALLBACK = 2.0;
