#include "model/annotations.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "model/bondgraph.h"
#include "model/frames.h"
#include "base/nocase.h"
#include "model/parse.h"
#include "model/reader.h"

namespace {

const char MALFORMED[] = "this annotation is malformed and is ignored";

// An annotation as read, its names not yet looked up: the atoms it names
// may be declared further down.
struct pending {
    bool bond; // "bond"; else "nobond"
    char a[ATOMNAMEMAX + 1], b[ATOMNAMEMAX + 1];
    int lineno; // where it stands, for its warnings
};

enum { MAXPENDING = MAXRINGBONDS + MAXATOMS };
pending kept[MAXPENDING];
int nkept = 0;

char shown[2 * ATOMNAMEMAX + 32]; // the annotation shown in a warning

const char *describe(const pending &p)
{
    if (p.bond)
        std::snprintf(shown, sizeof shown, "//@ bond %s %s", p.a, p.b);
    else
        std::snprintf(shown, sizeof shown, "//@ nobond %s", p.a);
    return shown;
}

bool fitsname(const char *name) { return isgoodname(name) && std::strlen(name) <= ATOMNAMEMAX; }

} // namespace

bool isannotation(const char *firsttoken) { return std::strcmp(firsttoken, "//@") == 0; }

void resetannotations()
{
    nkept = 0;
    resetframes();
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
    bool bond = samenocase(tokens[0], "bond");
    if (!bond && !samenocase(tokens[0], "nobond"))
        return 0;
    if (n != (bond ? 3 : 2))
        return 0;
    for (int i = 1; i < n; i++)
        if (!fitsname(tokens[i]))
            return 0;
    if (bond && samenocase(tokens[1], tokens[2]))
        return 0;
    if (nkept == MAXPENDING) {
        *caption = "too many annotations; this one is ignored";
        return 0;
    }
    pending &p = kept[nkept++];
    p.bond = bond;
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
        int a = atomindex(p.a), b = p.bond ? atomindex(p.b) : 0;
        if (a < 0 || b < 0) {
            warn(describe(p), "this annotation names an unknown atom and is ignored", p.lineno);
            continue;
        }
        if (!p.bond) {
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
    resolveframes(warn);
}
