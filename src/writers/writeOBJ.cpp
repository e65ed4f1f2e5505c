#include "model/model.h"
#include "writers/BALL.h"
#include "writers/writers.h"

void writeOBJ(FILE *OBJ)
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
