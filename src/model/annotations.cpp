#include "model/annotations.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "model/bondgraph.h"
#include "model/frames.h"
#include "model/labels.h"
#include "base/nocase.h"
#include "model/parse.h"
#include "model/names.h"

namespace {

const char MALFORMED[] = "this annotation is malformed and is ignored";

// An annotation as read, its names not yet looked up: the atoms it names
// may be declared further down.
// NOKIND for a word that is none of them: a value outside an enum's
// range would be undefined.
enum kind { BOND, NOBOND, ORDER, NOKIND };

struct pending {
    kind what;
    char a[ATOMNAMEMAX + 1], b[ATOMNAMEMAX + 1];
    unsigned char order; // ORDER: BOND_SINGLE ... BOND_AROMATIC
    int lineno;          // where it stands, for its warnings
};

// Every ring bond and link, and an order for each.
enum { MAXPENDING = 2 * (MAXRINGBONDS + MAXATOMS) };
pending kept[MAXPENDING];
int nkept = 0;

char shown[2 * ATOMNAMEMAX + 32]; // the annotation shown in a warning

const char *describe(const pending &p)
{
    if (p.what == BOND)
        std::snprintf(shown, sizeof shown, "//@ bond %s %s", p.a, p.b);
    else if (p.what == ORDER)
        std::snprintf(shown, sizeof shown, "//@ order %s %s %s", p.a, p.b,
                      p.order == BOND_AROMATIC ? "ar"
                      : p.order == BOND_TRIPLE ? "3"
                      : p.order == BOND_DOUBLE ? "2"
                                               : "1");
    else
        std::snprintf(shown, sizeof shown, "//@ nobond %s", p.a);
    return shown;
}

bool fitsname(const char *name) { return isgoodname(name) && std::strlen(name) <= ATOMNAMEMAX; }

// An order word: 1, 2, 3 or ar (any case); 0 for anything else.
unsigned char orderword(const char *word)
{
    if (std::strcmp(word, "1") == 0)
        return BOND_SINGLE;
    if (std::strcmp(word, "2") == 0)
        return BOND_DOUBLE;
    if (std::strcmp(word, "3") == 0)
        return BOND_TRIPLE;
    if (samenocase(word, "ar"))
        return BOND_AROMATIC;
    return 0;
}

// The order annotation's bond: the atom whose link to its parent it is
// (as a positive number), or the ring bond k (as -1 - k); 0 when a and b
// are not bonded.
int bondof(int a, int b)
{
    if (a > b)
        std::swap(a, b);
    if (atoms[b].parent == &atoms[a])
        return linkisbond(b) ? b : 0;
    for (int k = 0; k < nringbonds; k++)
        if (ringbonds[k].a == a && ringbonds[k].b == b)
            return -1 - k;
    return 0;
}

void resolveorders(void (*warn)(const char *text, const char *caption, int lineno))
{
    std::set<int> given;
    for (int k = 0; k < nkept; k++) {
        const pending &p = kept[k];
        if (p.what != ORDER)
            continue;
        int a = atomindex(p.a), b = atomindex(p.b);
        if (a < 0 || b < 0) {
            warn(describe(p), "this annotation names an unknown atom and is ignored", p.lineno);
            continue;
        }
        int bond = bondof(a, b);
        if (bond == 0) {
            warn(describe(p), "this annotation names two atoms that are not bonded and is ignored", p.lineno);
            continue;
        }
        if (!given.insert(bond).second) {
            warn(describe(p), "this annotation repeats an earlier one and is ignored", p.lineno);
            continue;
        }
        if (bond > 0)
            linkorder[bond] = p.order;
        else
            ringorder[-1 - bond] = p.order;
    }
}

} // namespace

bool isannotation(const char *firsttoken) { return std::strcmp(firsttoken, "//@") == 0; }

void resetannotations()
{
    nkept = 0;
    resetframes();
    resetlabels();
}

int takeannotation(char *const *tokens, int n, const char *line, int lineno, const char **caption,
                   const char **text)
{
    *caption = MALFORMED;
    *text = line;
    // A comment may follow, as on any line.
    for (int i = 0; i < n; i++)
        if (tokens[i][0] == '/' && tokens[i][1] == '/')
            n = i;
    if (n < 1)
        return 0;
    if (isframeannotation(tokens[0]))
        return takeframe(tokens, n, line, lineno, caption, text);
    if (islabelannotation(tokens[0]))
        return takelabel(tokens, n, line, lineno, caption, text);
    kind what = samenocase(tokens[0], "bond")     ? BOND
                : samenocase(tokens[0], "nobond") ? NOBOND
                : samenocase(tokens[0], "order")  ? ORDER
                                                  : NOKIND;
    if (what == NOKIND)
        return 0;
    bool bond = what != NOBOND; // names two atoms
    if (n != (what == BOND ? 3 : what == NOBOND ? 2 : 4))
        return 0;
    for (int i = 1; i < (bond ? 3 : 2); i++)
        if (!fitsname(tokens[i]))
            return 0;
    if (bond && samenocase(tokens[1], tokens[2]))
        return 0;
    unsigned char order = what == ORDER ? orderword(tokens[3]) : 0;
    if (what == ORDER && !order)
        return 0;
    if (nkept == MAXPENDING) {
        *caption = "too many annotations; this one is ignored";
        return 0;
    }
    pending &p = kept[nkept++];
    p.what = what;
    p.order = order;
    p.lineno = lineno;
    std::strcpy(p.a, tokens[1]);
    std::strcpy(p.b, bond ? tokens[2] : "");
    return 1;
}

void resolveannotations(void (*warn)(const char *text, const char *caption, int lineno))
{
    std::set<std::pair<int, int>> bonds;
    for (int k = 0; k < nkept; k++) {
        const pending &p = kept[k];
        if (p.what == ORDER)
            continue;
        bool isbond = p.what == BOND;
        int a = atomindex(p.a), b = isbond ? atomindex(p.b) : 0;
        if (a < 0 || b < 0) {
            warn(describe(p), "this annotation names an unknown atom and is ignored", p.lineno);
            continue;
        }
        if (!isbond) {
            if (a == 0)
                warn(describe(p), "this annotation names the root, which hangs from no atom; it is ignored",
                     p.lineno);
            else if (nobond[a])
                warn(describe(p), "this annotation repeats an earlier one and is ignored", p.lineno);
            else
                nobond[a] = 1;
            continue;
        }
        if (a > b)
            std::swap(a, b);
        // The later atom of a tree link is the child.
        if (atoms[b].parent == &atoms[a]) {
            warn(describe(p), "this annotation names a link of the atom tree and is ignored", p.lineno);
            continue;
        }
        if (nringbonds == MAXRINGBONDS) {
            warn(describe(p), "too many annotations; this one is ignored", p.lineno);
            continue;
        }
        if (!bonds.insert({a, b}).second) {
            warn(describe(p), "this annotation repeats an earlier one and is ignored", p.lineno);
            continue;
        }
        ringbonds[nringbonds++] = {a, b};
    }
    // Orders last: the ring bonds they may name are all known by now.
    resolveorders(warn);
    resolveframes(warn);
    resolvelabels(warn);
}
