#include "model/names.h"

#include <cstring>

#include "base/nocase.h"
#include "model/model.h"

namespace {

// FNV-1a of the case-folded name: names equal but for case hash alike.
unsigned namehash(const char *name)
{
    unsigned h = 2166136261u;
    for (; *name; name++)
        h = (h ^ static_cast<unsigned char>(foldcase(*name))) * 16777619u;
    return h;
}

// The elements declared so far by the hash of their name, for the atom
// lines' look-up, which is exact (a linear search compared every atom's
// element with up to 128 names).
enum { ELEMENTSLOTS = 2 * MAXELEMENTS };
int elementslot[ELEMENTSLOTS]; // element index + 1; 0 for an empty slot

// The names of the atoms declared so far, for the duplicate test: a table of
// atom indices by the hash of the case-folded name, so that a description of
// 1024 atoms does not compare every name with every earlier one.
enum { NAMESLOTS = 2 * MAXATOMS };
int nameslot[NAMESLOTS]; // atom index + 1; 0 for an empty slot

} // namespace

element *findelement(const char *name)
{
    for (unsigned i = namehash(name) % ELEMENTSLOTS; elementslot[i]; i = (i + 1) % ELEMENTSLOTS)
        if (std::strcmp(elements[elementslot[i] - 1].name, name) == 0)
            return &elements[elementslot[i] - 1];
    return nullptr;
}

// Whether an element of this name, case ignored, is declared already: the
// hash folds case, so every such name lies on this name's chain.
bool elementnameused(const char *name)
{
    for (unsigned i = namehash(name) % ELEMENTSLOTS; elementslot[i]; i = (i + 1) % ELEMENTSLOTS)
        if (samenocase(elements[elementslot[i] - 1].name, name))
            return true;
    return false;
}

void rememberelement(int index)
{
    unsigned i = namehash(elements[index].name) % ELEMENTSLOTS;
    while (elementslot[i])
        i = (i + 1) % ELEMENTSLOTS;
    elementslot[i] = index + 1;
}

int atomindex(const char *name)
{
    for (unsigned i = namehash(name) % NAMESLOTS; nameslot[i]; i = (i + 1) % NAMESLOTS)
        if (samenocase(atoms[nameslot[i] - 1].name, name))
            return nameslot[i] - 1;
    return -1;
}

void rememberatom(int index)
{
    unsigned i = namehash(atoms[index].name) % NAMESLOTS;
    while (nameslot[i])
        i = (i + 1) % NAMESLOTS;
    nameslot[i] = index + 1;
}

void resetnames()
{
    std::memset(nameslot, 0, sizeof nameslot);
    std::memset(elementslot, 0, sizeof elementslot);
}
