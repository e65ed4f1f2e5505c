// The OBJ and CR2 writers as first written, every number formatted where it
// is printed. Kept as the oracle for the writers, whose output must be the
// same bytes.
#include "reference_writers.h"

#include <cstring>

#include "model/model.h"
#include "writers/BALL.h"
#include "writers/poser/poser.h"

void referenceOBJ(FILE *OBJ)
{
    if (bondradius != 0) {
        std::fputs(BONDVERTS, OBJ);
        for (int i = 0; i < nelements; i++)
            std::fprintf(OBJ, "g %s\nusemtl bonds\n%s", elements[i].name, BONDFACES);
    }
    for (int i = 0; i < nelements; i++) {
        const element &e = elements[i];
        std::fprintf(OBJ, "g %s\nusemtl %s\n", e.name, e.name);
        // A radius of 0 still gets its vertices: the faces below count back
        // over exactly 114 of them, and so do the bond morph targets.
        for (int k = 0; k < 114; k++) {
            const double *v = BALLVERTS[k];
            std::fprintf(OBJ, "v %g %g %g\n", v[0] * e.rad, v[1] * e.rad, v[2] * e.rad);
        }
        std::fputs(BALLFACES, OBJ);
    }
}

namespace {

const char *parentname(const atom &a) { return a.parent ? a.parent->shortname : "BODY"; }

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
    std::fprintf(CR2, ACTORROOT, root.shortname, root.name, root.sort->rad, root.sort->rad, x, x, y, y, z, z);

    for (int i = 1; i < natoms; i++) {
        const atom &a = atoms[i];
        std::fprintf(CR2, ACTORATOM1, a.shortname, a.name, a.parent->shortname);
        if (bondradius != 0)
            std::fprintf(CR2, ACTORATOM2, a.bondl, a.bondl, bondradius, bondradius);
        std::fprintf(CR2, ACTORATOM3, a.bondl, a.bondl, a.theta, a.theta, a.phi, a.phi, -a.bondl, -a.bondl,
                     a.bondl, a.bondl, a.bondl, -a.bondl);
    }
}

void writefigure(FILE *CR2, const char *name)
{
    std::fprintf(CR2, "figure \n\t{\n\tname    %s\n\troot    BODY:1\n", name);
    for (int i = 0; i < natoms; i++)
        std::fprintf(CR2, "\taddChild    %s:1 \n\t\t\t %s:1\n", atoms[i].shortname, parentname(atoms[i]));
    std::fprintf(CR2, "\tdefaultPick %s:1 \n\tdisplayOn 1 \n", atoms[0].shortname);
    for (int i = 0; i < natoms; i++)
        std::fprintf(CR2, "\tweld    %s:1 \n\t\t\t %s:1\n", atoms[i].shortname, parentname(atoms[i]));
    std::fputs(
        "\tallowsBending 1 \n\tfigureType 1318 \n\torigFigureType 1318 \n\tcanonType 8 \n"
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

void referenceCR2(FILE *CR2, const char *name, const char *objfile, const char *posername)
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
