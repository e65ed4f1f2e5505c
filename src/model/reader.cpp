#include "model/reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/annotations.h"
#include "model/model.h"
#include "model/names.h"
#include "base/nocase.h"
#include "model/numbers.h"
#include "model/parse.h"

namespace {

atom *treepath[MAXATOMS]; // the atom most recently placed at each depth
int openedat[MAXATOMS];   // the line whose "{" opened each depth
int level = 0;
int branchstart = 0;
int branchend = 0;

char line[256]; // the current line; the tokens point into it
char Line[512]; // the line as read, shown in messages

const char NAMEERROR[] = "names must only contain letters and numbers and '_'";

// Where the current read hands its problems, and where it is: the
// description as the caller named it and the number of the line being read.
problemsink tell = nullptr;
void *tellto = nullptr;
const char *readpath = "";
int lineno = 0;

void tellproblem(const char *text, const char *caption, unsigned type, bool nonfatal = false)
{
    if (!tell)
        return;
    problem p = warning(caption, text);
    p.type = type;
    p.nonfatal = nonfatal;
    p.file = readpath;
    p.line = lineno;
    tell(tellto, p);
}

void warn(const char *text, const char *caption) { tellproblem(text, caption, KMB_ICONWARNING); }

// What the reader takes in silence, as it always has (stored descriptions
// rely on it), said on the console only: the desktop program never showed
// it, and the conversion does not change.
void note(const char *text, const char *caption)
{
    tellproblem(text, caption, KMB_ICONWARNING | KMB_CONSOLEONLY, true);
}

// The token and how it was read, for a note.
void noteread(const char *caption, const char *tok, const char *how, double value)
{
    char text[600];
    std::snprintf(text, sizeof text, "%s (%s %.10g)", tok, how, value);
    note(text, caption);
}

// A number token that is not all number: read up to where the number ends,
// or as 0 when it has none.
void checknumber(const char *tok, const char *end, double value)
{
    if (end == tok)
        noteread("this is no number", tok, "read as", 0);
    else if (*end)
        noteread("characters after a number are ignored", tok, "read as", value);
}

long integer(const char *tok)
{
    long v = readint(tok);
    checknumber(tok, intend(tok), static_cast<double>(v));
    return v;
}

// A colour number outside 0 to 255 keeps its low 8 bits.
unsigned char colour(const char *tok, long v)
{
    unsigned char c = lowbyte(v);
    if (v < 0 || v > 255)
        noteread("a colour outside 0 to 255 keeps its low 8 bits", tok, "read as", c);
    return c;
}

int fail(const char *text, const char *caption)
{
    warn(text, caption);
    return 0;
}

// The description is read in blocks, and each line taken out of the block
// whole: a byte at a time costs more than everything else the reader does.
struct blockreader {
    unsigned char data[65536];
    size_t at, len;
    bool ended;
} input;

// Makes bytes available: 1, or 0 at the end of the file, -1 on a read error.
int refill(FILE *f)
{
    if (input.at < input.len)
        return 1;
    if (input.ended)
        return 0;
    input.len = std::fread(input.data, 1, sizeof input.data, f);
    input.at = 0;
    if (input.len > 0)
        return 1;
    input.ended = true;
    return std::ferror(f) ? -1 : 0;
}

// The first carriage return or Ctrl-Z among the n bytes at p, or null.
const unsigned char *firstspecial(const unsigned char *p, size_t n)
{
    const void *cr = std::memchr(p, '\r', n);
    const void *eof =
        std::memchr(p, 26, cr ? static_cast<size_t>(static_cast<const unsigned char *>(cr) - p) : n);
    return static_cast<const unsigned char *>(eof ? eof : cr);
}

// One piece of a line, as a text-mode read would give it: carriage returns
// vanish, Ctrl-Z ends the file, and at most 254 characters (a NUL byte
// included) make one piece. Returns the number of characters stored, 0 at the
// end of the file, -1 on a read error.
int readpiece(FILE *f, bool *ended)
{
    size_t n = 0;
    while (n < MAXLINE) {
        int more = refill(f);
        if (more < 0)
            return -1;
        if (more == 0) {
            *ended = true;
            break;
        }
        // The rest of the line, or of the block, or of the piece's room:
        // copied at once unless a carriage return or a Ctrl-Z lies in it.
        const unsigned char *from = input.data + input.at;
        size_t span = std::min(input.len - input.at, MAXLINE - n);
        const void *feed = std::memchr(from, '\n', span);
        size_t len = feed ? static_cast<size_t>(static_cast<const unsigned char *>(feed) - from) + 1 : span;
        const unsigned char *special = firstspecial(from, len);
        size_t plain = special ? static_cast<size_t>(special - from) : len;
        std::memcpy(line + n, from, plain);
        n += plain;
        input.at += plain;
        if (special) {
            input.at++;           // a carriage return vanishes...
            if (*special == 26) { // ...a Ctrl-Z ends the file
                *ended = true;
                break;
            }
            continue;
        }
        if (feed)
            break;
    }
    line[n] = '\0';
    return static_cast<int>(n);
}

// After a piece that filled the room of a line: whether more than its line
// feed (or carriage return and line feed) follows, so that the line was
// really cut. A read error is left to the next piece.
bool cutshort(FILE *f)
{
    if (refill(f) <= 0)
        return false;
    unsigned char next = input.data[input.at];
    if (next == '\n' || next == 26)
        return false;
    if (next == '\r' && input.at + 1 < input.len)
        return input.data[input.at + 1] != '\n';
    return true;
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
    if (std::isfinite(*v)) {
        checknumber(tok, realend(tok), *v);
        return true;
    }
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
    if (r < 0)
        noteread("this radius is negative", parsed[1], "read as", bondradius);
    bondblue = nargs >= 3 ? truncbyte(blue) : 128;
    if (nargs >= 3 && !(std::trunc(blue) >= 0 && std::trunc(blue) <= 255))
        noteread("a colour outside 0 to 255 keeps its low 8 bits", parsed[2], "read as", bondblue);
    bondgreen = nargs >= 4 ? colour(parsed[3], integer(parsed[3])) : 128;
    bondred = nargs >= 5 ? colour(parsed[4], integer(parsed[4])) : 128;
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
    e->blue = colour(parsed[2], integer(parsed[2]));
    e->green = colour(parsed[3], integer(parsed[3]));
    e->red = colour(parsed[4], integer(parsed[4]));
    if (!checkname(parsed[1], ELEMENTNAMEMAX))
        return 0;
    std::strcpy(e->name, parsed[1]);
    if (elementnameused(e->name))
        return fail(e->name, "element name declared twice");
    if (e->rad < 0)
        note(parsed[5], "this radius is negative");
    rememberelement(nelements);
    nelements++;
    return 1;
}

// A duplicate name becomes name_2, name_3, ... up to name_255, the first that
// is free; the test is made on the whole candidate, before it is cut to fit.
void makeunique(atom *a)
{
    if (atomindex(a->name) < 0)
        return;
    char candidate[64];
    for (int j = 2; j <= 255; j++) {
        std::snprintf(candidate, sizeof candidate, "%s_%d", a->name, j);
        if (atomindex(candidate) < 0) {
            std::memcpy(a->name, candidate, ATOMNAMEMAX);
            a->name[ATOMNAMEMAX] = '\0';
            return;
        }
    }
}

// "atom" and the slot's number, as "atom%d" prints it: through snprintf it
// took a fifth of the reader's time.
void shortname(char *out, int index)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + index % 10);
        index /= 10;
    } while (index > 0);
    std::memcpy(out, "atom", 4);
    out += 4;
    while (n > 0)
        *out++ = digits[--n];
    *out = '\0';
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
    shortname(a->shortname, index);
    if (!checkname(parsed[1], ATOMNAMEMAX))
        return 0;
    std::strcpy(a->name, parsed[1]);
    makeunique(a);

    element *sort = findelement(parsed[2]);
    if (!sort)
        return fail(parsed[2], "you did not declare this element");
    a->sort = sort;

    a->parent = treepath[level];
    level += branchstart;
    if (branchstart)
        openedat[level] = lineno;
    treepath[level] = a;
    if (branchend > level)
        note(Line, "a } closes no branch and is ignored");
    level = level > branchend ? level - branchend : 0;
    rememberatom(index);
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

// An annotation's warning, made once every atom is read, at its own line.
void noteat(const char *text, const char *caption, int at)
{
    lineno = at;
    note(text, caption);
}

int interpret()
{
    const char *keyword = parsed[0];
    // The keywords' first letters differ: one comparison a line.
    switch (foldcase(keyword[0])) {
    case 'n':
        if (samenocase(keyword, "name"))
            return doname();
        break;
    case 'r':
        if (samenocase(keyword, "readxyz") && natoms == 0) {
            readxyz = 1;
            return 1;
        }
        break;
    case 'b':
        if (samenocase(keyword, "bondradius"))
            return dobondradius();
        break;
    case 'e':
        if (samenocase(keyword, "element"))
            return doelement();
        break;
    case 'a':
        if (samenocase(keyword, "atom"))
            return doatom();
        break;
    default:
        break;
    }
    // Skipped, as it always was: the conversion goes on.
    tellproblem(keyword, "unidentified instruction", KMB_ICONWARNING, true);
    if (samenocase(keyword, "readxyz"))
        note(keyword, "readxyz counts only before the first atom; the atoms stay in angle mode");
    return 1;
}

} // namespace

void resetreader()
{
    resetannotations();
    resetnames();
    treepath[0] = nullptr;
    level = 0;
    branchstart = 0;
    branchend = 0;
}

int readmolecule(FILE *KRX, const char *path, problemsink sink, void *to)
{
    tell = sink;
    tellto = to;
    readpath = path;
    lineno = 0;
    input.at = input.len = 0;
    input.ended = false;
    bool ended = false, startsline = true, cutnoted = false;
    while (!ended) {
        // A line cut into pieces keeps its number.
        bool first = startsline;
        if (first) {
            lineno++;
            cutnoted = false;
        }
        int n = readpiece(KRX, &ended);
        if (n < 0)
            return fail(path, "I can't read this file");
        if (n == 0)
            continue;
        startsline = line[n - 1] == '\n';
        // Editors such as older Notepad put a UTF-8 byte-order mark first:
        // it is no part of the first instruction, so it goes (with a warning).
        if (lineno == 1 && first && n >= 3 && std::memcmp(line, "\xEF\xBB\xBF", 3) == 0) {
            note("EF BB BF", "a byte-order mark begins the file and is skipped");
            n -= 3;
            std::memmove(line, line + 3, static_cast<size_t>(n) + 1);
            if (n == 0)
                continue;
        }
        if (!startsline && !ended && !cutnoted && cutshort(KRX)) {
            cutnoted = true;
            std::strcpy(Line, line);
            note(Line, "this line is longer than 254 characters; the rest is read as a line of its own");
        }
        std::strcpy(Line, line);
        nargs = parse(line);
        if (nargs == 0)
            continue;
        if (isannotation(parsed[0])) {
            const char *caption, *text;
            if (!takeannotation(parsed + 1, nargs - 1, Line, lineno, &caption, &text))
                note(text, caption);
            continue;
        }
        stripmarks();
        // Marks count on atom lines only: a "{" or "}" on a line of its own
        // (or beside another instruction) is dropped as it always was, but
        // the branch the user meant is not made.
        if ((branchstart || branchend) && (nargs == 0 || !samenocase(parsed[0], "atom")))
            note(Line, "a { or } on a line without an atom has no effect");
        if (nargs == 0)
            continue;
        if (!interpret())
            return 0;
    }
    // Each depth still open was opened by a "{" that no "}" closed.
    for (int d = level; d > 0; d--) {
        lineno = openedat[d];
        note("{", "this branch is not closed by the end of the file");
    }
    resolveannotations(noteat);
    return 1;
}
