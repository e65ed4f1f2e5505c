// Where each atom stands in the file it was imported from, for a figure of a
// protein or a nucleic acid: its residue's name and number, its chain and
// the file's own name of the atom. kestrix-import writes one annotation per
// atom; a reader that does not know them sees comments:
//   //@ residue NAME RESIDUE NUMBER CHAIN ATOM
// NAME is the atom as the description names it; RESIDUE the residue name
// (PHE), NUMBER its number with any insertion code (53, 53A, -2), CHAIN the
// chain id, ATOM the file's atom name (CG). A "-" stands for a blank field
// (the blank chain). The glTF figure puts them on the atom's joint.
#pragma once

#include "model/model.h"

struct atomlabel {
    char residue[ATOMNAMEMAX + 1]; // "" for a blank field
    char chain[ATOMNAMEMAX + 1];
    char atom[ATOMNAMEMAX + 1];
    long number;
    char icode; // insertion code, 0 for none
};

// Forgets the labels of an earlier description.
void resetlabels();

// Whether an annotation's keyword is the labels'.
bool islabelannotation(const char *keyword);

// One label annotation, tokens after the "//@" (n of them, a trailing
// comment cut off already). Returns 1 when kept for resolving, else 0 with
// *caption and *text set to the warning.
int takelabel(char *const *tokens, int n, const char *line, int lineno, const char **caption,
              const char **text);

// Once every atom is read: each kept label is given to the atom it names;
// one that names an unknown atom, or an atom labelled already, is ignored
// and reported through warn, with its line.
void resolvelabels(void (*warn)(const char *text, const char *caption, int lineno));

// The label of atom k (table order), or null when it has none.
const atomlabel *labelof(int k);
