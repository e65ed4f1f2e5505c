#include <cstring>

#include "model/bondgraph.h"
#include "model/model.h"
#include "base/nocase.h"
#include "writers/BALL.h"
#include "writers/pattern.h"
#include "writers/printg.h"
#include "writers/poser/poser.h"

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

// Every text of the figure file, split once.
struct cr2patterns {
    pattern head{"{\n\nversion\n\t{\n\tnumber 4.01\n\t}\nfigureResFile %s\nactor BODY:1\n\t{\n\n\t}\n"};
    pattern geometry{"actor atom%d:1\n\t{\n\tstorageOffset 0 0 0\n\tgeomHandlerGeom 13 %s\n\t}\n"};
    pattern resfile{"figureResFile %s\n\n"};
    pattern body{ACTORBODY}, root{ACTORROOT}, atom1{ACTORATOM1}, atom2{ACTORATOM2}, atom3{ACTORATOM3};
    pattern figure{"figure \n\t{\n\tname    %s\n\troot    BODY:1\n"};
    pattern child{"\taddChild    %s:1 \n\t\t\t %s:1\n"};
    pattern pick{"\tdefaultPick %s:1 \n\tdisplayOn 1 \n"};
    pattern weld{"\tweld    %s:1 \n\t\t\t %s:1\n"};
    pattern material{MATERIAL};
};

const cr2patterns &patterns()
{
    static const cr2patterns p;
    return p;
}

// The atom templates repeat a few numbers many times each (the bond length
// eight times): each is made into text once.
void writeactors(textbuffer &out, const cr2patterns &p)
{
    const numtext hundredth = printg(0.01);
    p.body.fill(out, {hundredth, hundredth});

    const atom &root = atoms[0];
    double x = 0, y = 0, z = 0;
    if (readxyz) {
        x = root.p.x;
        y = root.p.y;
        z = root.p.z;
    }
    const numtext rad = printg(root.sort->rad), tx = printg(x), ty = printg(y), tz = printg(z);
    p.root.fill(out, {root.shortname, root.name, rad, rad, tx, tx, ty, ty, tz, tz});

    const numtext radius = printg(bondradius), none = printg(0);
    for (int i = 1; i < natoms; i++) {
        const atom &a = atoms[i];
        p.atom1.fill(out, {a.shortname, a.name, a.parent->shortname});
        const numtext bondl = printg(a.bondl), minus = printg(-a.bondl), theta = printg(a.theta),
                      phi = printg(a.phi);
        // A link that is no bond keeps its cylinder at the mesh's own tiny
        // size: its thickening morph is left at 0.
        const numtext &thick = linkisbond(i) ? radius : none;
        if (bondradius != 0)
            p.atom2.fill(out, {bondl, bondl, thick, thick});
        p.atom3.fill(out, {bondl, bondl, theta, theta, phi, phi, minus, minus, bondl, bondl, bondl, minus});
    }
}

void writematerial(textbuffer &out, const cr2patterns &p, const char *name, double red, double green,
                   double blue)
{
    p.material.fill(out, {name, printg(red), printg(green), printg(blue)});
}

void writefigure(textbuffer &out, const cr2patterns &p, const char *name)
{
    p.figure.fill(out, {name});
    for (int i = 0; i < natoms; i++)
        p.child.fill(out, {atoms[i].shortname, parentname(atoms[i])});
    p.pick.fill(out, {atoms[0].shortname});
    for (int i = 0; i < natoms; i++)
        p.weld.fill(out, {atoms[i].shortname, parentname(atoms[i])});
    out.add(
        "\tallowsBending 1 \n\tfigureType 1318 \n\torigFigureType 1318 \n\tcanonType 8 \n"
        "\tconforming 0\n");

    // Colour bytes become colour parts by dividing by 256, as the figure
    // application's own files do.
    const double part = 0.00390625;
    writematerial(out, p, "Preview", 0.9, 0.0, 0.0);
    for (int i = 0; i < nelements; i++) {
        const element &e = elements[i];
        writematerial(out, p, e.name, e.red * part, e.green * part, e.blue * part);
    }
    if (bondradius != 0)
        writematerial(out, p, "bonds", bondred * part, bondgreen * part, bondblue * part);
    out.add("\tdisplayMode USEPARENT\n\tlocked 0\n\t}\n\tsetGeomHandlerOffset 0 0 0\n}\n");
}

} // namespace

void resourcepath(char *out, size_t size, const char *objfile, const char *posername)
{
    size_t root = std::strlen(posername);
    bool below =
        std::strlen(objfile) > root && sameprefix(objfile, posername, root) && folderseparator(objfile[root]);
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

    const cr2patterns &p = patterns();
    textbuffer out(CR2);
    p.head.fill(out, {res});
    for (int i = 0; i < natoms; i++)
        p.geometry.fill(out, {printd(i), atoms[i].sort->name});
    p.resfile.fill(out, {res});
    writeactors(out, p);
    writefigure(out, p, name);
    out.flush();
}
