// The bond-graph annotations of a description: comment lines that tell what
// the atom tree alone cannot, written by kestrix-import and read into the
// bond graph table (bondgraph.h):
//   //@ bond NAME NAME    the two atoms are bonded, though neither hangs
//                         from the other (the bond closes a ring)
//   //@ nobond NAME       the atom's link to its parent is no bond
//   //@ order NAME NAME K the bond of the two atoms (a tree link or a ring
//                         bond) has order K: 1, 2, 3 or ar (aromatic)
// Frames (frames.h) and residue labels (labels.h) are annotations too.
// A reader that does not know them sees comments. An annotation may stand
// anywhere in the description; the names are looked up once every atom is
// read, as the reader made them unique, without regard to case.
#pragma once

// Forgets the annotations of an earlier description.
void resetannotations();

// tokens: an annotation line's tokens after its "//@", n of them; line: the
// line as read, lineno its number, kept for the warnings of resolving. Returns 1 when the annotation is kept
// for resolving, 0 when it is malformed and ignored, with *caption and *text set to the warning.
int takeannotation(char *const *tokens, int n, const char *line, int lineno, const char **caption,
                   const char **text);

// Looks up the names of every kept annotation and fills the bond graph
// table. Each annotation that names an unknown atom, or says what the tree
// contradicts, is ignored and reported through warn, with its line.
void resolveannotations(void (*warn)(const char *text, const char *caption, int lineno));

// Whether the tokens of a line (comment included) make an annotation line.
bool isannotation(const char *firsttoken);
