// The names declared so far in the description being read, elements' and
// atoms', looked up by the hash of their case-folded name: the reader keeps
// them unique with these, and the annotations and frames find their atoms
// by name, without the reader.
#pragma once

struct element;

// The element of exactly that name; null when none is declared.
element *findelement(const char *name);
// Whether an element of this name, case ignored, is declared already.
bool elementnameused(const char *name);
// Enters elements[index] under its name.
void rememberelement(int index);

// The index of the atom of that name, compared without regard to case (the
// reader keeps names unique so); -1 when no atom has it.
int atomindex(const char *name);
// Enters atoms[index] under its name.
void rememberatom(int index);

// Forgets every name; part of the reader's reset.
void resetnames();
