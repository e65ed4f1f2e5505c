#include <cstring>

#include "model/bondgraph.h"
#include "model/model.h"
#include "model/nocase.h"
#include "writers/BALL.h"
#include "writers/writers.h"

namespace {

// Every separator becomes a colon in the resource path...
bool isseparatorchar(char c) { return c == '\\' || c == '/'; }

// ...but on the portable build only "/" separates folders: a backslash is an
// ordinary character of a name there.
bool folderseparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool sameprefix(const char *path, const char *root, size_t n)
{
#ifdef _WIN32
    // Windows paths ignore case.
    return samenocasen(path, root, n);
#else
    return std::strncmp(path, root, n) == 0;
#endif
}

const char *parentname(const atom &a) { return a.parent ? a.parent->shortname : "BODY"; }

// The atom templates repeat a few numbers many times each (the bond length
// eight times), and formatting a number costs far more than copying its
// text: each is formatted once and the template filled from the texts. A
// template holds only the conversions %s and %g, so "%g" of a text is the
// text as printf would have written it.
struct gtext {
    char text[32];
    explicit gtext(double v) { std::snprintf(text, sizeof text, "%g", v); }
};

template <size_t N> void fill(FILE *out, const char *tmpl, const char *const (&args)[N])
{
    size_t used = 0;
    for (const char *c = tmpl;;) {
        const char *mark = std::strchr(c, '%');
        if (!mark || mark[1] == '\0' || used == N) {
            std::fputs(c, out);
            return;
        }
        std::fwrite(c, 1, static_cast<size_t>(mark - c), out);
        std::fputs(args[used++], out);
        c = mark + 2;
    }
}

void writeactors(FILE *CR2)
{
    std::fprintf(CR2, ACTORBODY, 0.01, 0.01);

    const atom &root = atoms[0];
    double x = 0, y = 0, z = 0;
    if (readxyz) {
        x = root.p.x;
        y = root.p.y;
        z = root.p.z;
    }
    std::fprintf(CR2, ACTORROOT, root.shortname, root.name, root.sort->rad, root.sort->rad, x, x, y,
                 y, z, z);

    const gtext radius(bondradius);
    // A link that is no bond keeps its cylinder at the mesh's own tiny
    // size: its thickening morph is left at 0.
    const char *const none = "0";
    for (int i = 1; i < natoms; i++) {
        const atom &a = atoms[i];
        std::fprintf(CR2, ACTORATOM1, a.shortname, a.name, a.parent->shortname);
        const gtext bondl(a.bondl), minus(-a.bondl), theta(a.theta), phi(a.phi);
        if (bondradius != 0) {
            const char *thick = linkisbond(i) ? radius.text : none;
            const char *const args[] = {bondl.text, bondl.text, thick, thick};
            fill(CR2, ACTORATOM2, args);
        }
        const char *const args[] = {bondl.text, bondl.text, theta.text, theta.text, phi.text, phi.text,
                                    minus.text, minus.text, bondl.text, bondl.text, bondl.text, minus.text};
        fill(CR2, ACTORATOM3, args);
    }
}

void writefigure(FILE *CR2, const char *name)
{
    std::fprintf(CR2, "figure \n\t{\n\tname    %s\n\troot    BODY:1\n", name);
    for (int i = 0; i < natoms; i++)
        std::fprintf(CR2, "\taddChild    %s:1 \n\t\t\t %s:1\n", atoms[i].shortname,
                     parentname(atoms[i]));
    std::fprintf(CR2, "\tdefaultPick %s:1 \n\tdisplayOn 1 \n", atoms[0].shortname);
    for (int i = 0; i < natoms; i++)
        std::fprintf(CR2, "\tweld    %s:1 \n\t\t\t %s:1\n", atoms[i].shortname,
                     parentname(atoms[i]));
    std::fputs("\tallowsBending 1 \n\tfigureType 1318 \n\torigFigureType 1318 \n\tcanonType 8 \n"
               "\tconforming 0\n",
               CR2);

    // Colour bytes become colour parts by dividing by 256, as the figure
    // application's own files do.
    const double part = 0.00390625;
    std::fprintf(CR2, MATERIAL, "Preview", 0.9, 0.0, 0.0);
    for (int i = 0; i < nelements; i++) {
        const element &e = elements[i];
        std::fprintf(CR2, MATERIAL, e.name, e.red * part, e.green * part, e.blue * part);
    }
    if (bondradius != 0)
        std::fprintf(CR2, MATERIAL, "bonds", bondred * part, bondgreen * part, bondblue * part);
    std::fputs("\tdisplayMode USEPARENT\n\tlocked 0\n\t}\n\tsetGeomHandlerOffset 0 0 0\n}\n", CR2);
}

} // namespace

void resourcepath(char *out, size_t size, const char *objfile, const char *posername)
{
    size_t root = std::strlen(posername);
    bool below = std::strlen(objfile) > root && sameprefix(objfile, posername, root) &&
                 folderseparator(objfile[root]);
    if (!below) {
        // Another folder or drive: the figure application also takes a full path.
        std::snprintf(out, size, "%s", objfile);
        return;
    }
    std::snprintf(out, size, "%s", objfile + root);
    for (char *c = out; *c; c++)
        if (isseparatorchar(*c))
            *c = ':';
}

void writeCR2(FILE *CR2, const char *name, const char *objfile, const char *posername)
{
    char res[512];
    resourcepath(res, sizeof res, objfile, posername);

    std::fprintf(CR2, "{\n\nversion\n\t{\n\tnumber 4.01\n\t}\nfigureResFile %s\nactor BODY:1\n\t{\n\n\t}\n",
                 res);
    for (int i = 0; i < natoms; i++)
        std::fprintf(CR2, "actor atom%d:1\n\t{\n\tstorageOffset 0 0 0\n\tgeomHandlerGeom 13 %s\n\t}\n", i,
                     atoms[i].sort->name);
    std::fprintf(CR2, "figureResFile %s\n\n", res);
    writeactors(CR2);
    writefigure(CR2, name);
}
