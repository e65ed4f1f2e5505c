#include "model/reader.h"

#include <cmath>
#include <cstring>

#include "model/model.h"
#include "model/numbers.h"
#include "model/parse.h"
#include "platform/ui.h"

namespace {

enum { MAXLINE = 254 };

atom *treepath[MAXATOMS]; // the atom most recently placed at each depth
int level = 0;
int branchstart = 0;
int branchend = 0;

char line[256];  // the current line; the tokens point into it
char Line[512];  // the line as read, shown in messages

const char NAMEERROR[] = "names must only contain letters and numbers and '_'";

void warn(const char *text, const char *caption) { messagebox(nullptr, text, caption, KMB_ICONWARNING); }

int fail(const char *text, const char *caption)
{
    warn(text, caption);
    return 0;
}

bool samenocase(const char *a, const char *b)
{
    for (;; a++, b++) {
        unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

// One piece of a line, as a text-mode read would give it: carriage returns
// vanish, Ctrl-Z ends the file, and at most 254 characters (a NUL byte
// included) make one piece. Returns the number of characters stored, 0 at the
// end of the file, -1 on a read error.
int readpiece(FILE *f, bool *ended)
{
    int n = 0;
    while (n < MAXLINE) {
        int c = std::getc(f);
        if (c == EOF) {
            if (std::ferror(f))
                return -1;
            *ended = true;
            break;
        }
        if (c == '\r')
            continue;
        if (c == 26) {
            *ended = true;
            break;
        }
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[n] = '\0';
    return n;
}

void droptoken(int i)
{
    for (; i < nargs; i++)
        parsed[i] = parsed[i + 1];
    nargs--;
}

// Converts a real-number token; a value that is not finite would reach the
// figure file as "inf", so it is refused.
bool real(const char *tok, double *v)
{
    *v = readreal(tok);
    if (std::isfinite(*v))
        return true;
    warn(tok, "this number is out of range");
    return false;
}

bool checkname(const char *name, size_t max)
{
    if (!isgoodname(name))
        return fail(name, NAMEERROR);
    if (std::strlen(name) > max)
        return fail(name, "this name is too long");
    return true;
}

int doname()
{
    if (nargs < 2)
        return fail(Line, "too few arguments in this line");
    std::strcpy(Name, parsed[1]); // a token is shorter than a line
    if (!isgoodname(Name))
        return fail(Name, NAMEERROR);
    return 1;
}

int dobondradius()
{
    if (nargs < 2)
        return fail(Line, "too few arguments in this line");
    double r, blue = 128;
    if (!real(parsed[1], &r))
        return 0;
    if (nargs >= 3 && !real(parsed[2], &blue))
        return 0;
    bondradius = std::fabs(r);
    bondblue = nargs >= 3 ? truncbyte(blue) : 128;
    bondgreen = nargs >= 4 ? lowbyte(readint(parsed[3])) : 128;
    bondred = nargs >= 5 ? lowbyte(readint(parsed[4])) : 128;
    return 1;
}

int doelement()
{
    if (nelements == MAXELEMENTS)
        return fail(Line, "too many elements");
    if (nargs < 6)
        return fail(Line, "too few arguments in this line");
    element *e = &elements[nelements];
    if (!real(parsed[5], &e->rad))
        return 0;
    e->blue = lowbyte(readint(parsed[2]));
    e->green = lowbyte(readint(parsed[3]));
    e->red = lowbyte(readint(parsed[4]));
    if (!checkname(parsed[1], ELEMENTNAMEMAX))
        return 0;
    std::strcpy(e->name, parsed[1]);
    for (int i = 0; i < nelements; i++)
        if (samenocase(elements[i].name, e->name))
            return fail(e->name, "element name declared twice");
    nelements++;
    return 1;
}

bool atomnameused(const char *name, int before)
{
    for (int i = 0; i < before; i++)
        if (samenocase(atoms[i].name, name))
            return true;
    return false;
}

// A duplicate name becomes name_2, name_3, ... up to name_255, the first that
// is free; the test is made on the whole candidate, before it is cut to fit.
void makeunique(atom *a, int index)
{
    if (!atomnameused(a->name, index))
        return;
    char candidate[64];
    for (int j = 2; j <= 255; j++) {
        std::snprintf(candidate, sizeof candidate, "%s_%d", a->name, j);
        if (!atomnameused(candidate, index)) {
            std::memcpy(a->name, candidate, ATOMNAMEMAX);
            a->name[ATOMNAMEMAX] = '\0';
            return;
        }
    }
}

int doatom()
{
    if (natoms == MAXATOMS)
        return fail(Line, "too many atoms");
    if (nargs < 6)
        return fail(Line, "too few arguments in this line");
    int index = natoms;
    atom *a = &atoms[index];
    double v[3];
    for (int k = 0; k < 3; k++)
        if (!real(parsed[3 + k], &v[k]))
            return 0;
    if (readxyz) {
        a->p = xyz(v[0], v[1], v[2]);
        a->theta = 0.0;
        a->phi = 0.0;
        a->bondl = 1.0;
    } else {
        a->theta = v[0];
        a->phi = v[1];
        a->bondl = v[2];
    }
    std::snprintf(a->shortname, sizeof a->shortname, "atom%d", index);
    if (!checkname(parsed[1], ATOMNAMEMAX))
        return 0;
    std::strcpy(a->name, parsed[1]);
    makeunique(a, index);

    element *sort = nullptr;
    for (int i = nelements - 1; i >= 0 && !sort; i--)
        if (std::strcmp(elements[i].name, parsed[2]) == 0)
            sort = &elements[i];
    if (!sort)
        return fail(parsed[2], "you did not declare this element");
    a->sort = sort;

    a->parent = treepath[level];
    level += branchstart;
    treepath[level] = a;
    level = level > branchend ? level - branchend : 0;
    natoms++;
    return 1;
}

// Takes the comment and the branch marks off the current line's tokens.
void stripmarks()
{
    for (int i = 0; i < nargs; i++) {
        if (parsed[i][0] == '/' && parsed[i][1] == '/') {
            nargs = i;
            parsed[i] = nullptr;
            break;
        }
    }
    branchstart = 0;
    if (nargs > 0 && std::strcmp(parsed[0], "{") == 0) {
        droptoken(0);
        branchstart = 1;
    }
    branchend = 0;
    while (nargs > 0 && std::strcmp(parsed[nargs - 1], "}") == 0) {
        parsed[--nargs] = nullptr;
        branchend++;
    }
    // The first atom is always the root, whatever marks its line carries.
    if (natoms == 0)
        branchstart = 0;
}

int interpret()
{
    const char *keyword = parsed[0];
    if (samenocase(keyword, "name"))
        return doname();
    if (samenocase(keyword, "readxyz") && natoms == 0) {
        readxyz = 1;
        return 1;
    }
    if (samenocase(keyword, "bondradius"))
        return dobondradius();
    if (samenocase(keyword, "element"))
        return doelement();
    if (samenocase(keyword, "atom"))
        return doatom();
    warn(keyword, "unidentified instruction");
    return 1;
}

} // namespace

void resetreader()
{
    treepath[0] = nullptr;
    level = 0;
    branchstart = 0;
    branchend = 0;
}

int readmolecule(FILE *KRX, const char *path)
{
    bool ended = false;
    while (!ended) {
        int n = readpiece(KRX, &ended);
        if (n < 0)
            return fail(path, "I can't read this file");
        if (n == 0)
            continue;
        std::strcpy(Line, line);
        nargs = parse(line);
        if (nargs == 0)
            continue;
        stripmarks();
        if (nargs == 0)
            continue;
        if (!interpret())
            return 0;
    }
    return 1;
}
