#include "model/labels.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/nocase.h"
#include "model/names.h"
#include "model/parse.h"

namespace {

const char MALFORMED[] = "this annotation is malformed and is ignored";

struct pending {
    char name[ATOMNAMEMAX + 1];
    atomlabel label;
    int lineno;
};

// Read lines, resolved once every atom is known: at most a label per
// atom, and each annotation line's text is short, so a vector serves.
std::vector<pending> kept;
atomlabel table[MAXATOMS];
bool labelled[MAXATOMS];

char shown[4 * ATOMNAMEMAX + 48];

const char *describe(const pending &p)
{
    const atomlabel &l = p.label;
    char icode[2] = {l.icode, 0};
    std::snprintf(shown, sizeof shown, "//@ residue %s %s %ld%s %s %s", p.name,
                  l.residue[0] ? l.residue : "-", l.number, icode, l.chain[0] ? l.chain : "-",
                  l.atom[0] ? l.atom : "-");
    return shown;
}

// A field of the label: "-" is a blank one.
bool takefield(const char *token, char *into)
{
    if (std::strlen(token) > ATOMNAMEMAX)
        return false;
    std::strcpy(into, std::strcmp(token, "-") == 0 ? "" : token);
    return true;
}

// A residue number, optionally signed, with an insertion code (one letter)
// after it.
bool takenumber(const char *token, long &number, char &icode)
{
    char *end = nullptr;
    errno = 0;
    number = std::strtol(token, &end, 10);
    if (end == token || errno != 0 || !(*token == '-' || *token == '+' || (*token >= '0' && *token <= '9')))
        return false;
    icode = 0;
    if (*end && ((*end >= 'A' && *end <= 'Z') || (*end >= 'a' && *end <= 'z')) && end[1] == 0)
        icode = *end++;
    return *end == 0;
}

} // namespace

void resetlabels()
{
    kept.clear();
    kept.shrink_to_fit();
    std::memset(labelled, 0, sizeof labelled);
}

bool islabelannotation(const char *keyword) { return samenocase(keyword, "residue"); }

int takelabel(char *const *tokens, int n, const char *line, int lineno, const char **caption,
              const char **text)
{
    *caption = MALFORMED;
    *text = line;
    if (n != 6 || !isgoodname(tokens[1]) || std::strlen(tokens[1]) > ATOMNAMEMAX)
        return 0;
    pending p;
    std::strcpy(p.name, tokens[1]);
    p.lineno = lineno;
    if (!takefield(tokens[2], p.label.residue) || !takenumber(tokens[3], p.label.number, p.label.icode) ||
        !takefield(tokens[4], p.label.chain) || !takefield(tokens[5], p.label.atom))
        return 0;
    if (kept.size() >= 2 * MAXATOMS) {
        *caption = "too many annotations; this one is ignored";
        return 0;
    }
    kept.push_back(p);
    return 1;
}

void resolvelabels(void (*warn)(const char *text, const char *caption, int lineno))
{
    for (const pending &p : kept) {
        int a = atomindex(p.name);
        if (a < 0)
            warn(describe(p), "this annotation names an unknown atom and is ignored", p.lineno);
        else if (labelled[a])
            warn(describe(p), "this annotation repeats an earlier one and is ignored", p.lineno);
        else {
            table[a] = p.label;
            labelled[a] = true;
        }
    }
}

const atomlabel *labelof(int k) { return k >= 0 && k < natoms && labelled[k] ? &table[k] : nullptr; }
