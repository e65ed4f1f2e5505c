#include <cstring>

#include "model/model.h"
#include "writers/BALL.h"
#include "writers/poser/poser.h"

namespace {

// Formatting a number costs far more than copying its text, and the ball's
// 342 coordinates take only a few distinct values (its rings are symmetric).
// Equal coordinates times one radius are equal products, so each element
// formats each distinct product once and copies the text for the others.
enum { BALLCOORDS = 114 * 3 };
int distinct[BALLCOORDS]; // index of each coordinate's first equal, in reading order
int ndistinct = 0;
int firstof[BALLCOORDS];  // the coordinate that stands for each distinct value

void finddistinct()
{
    if (ndistinct > 0)
        return;
    const double *c = &BALLVERTS[0][0];
    for (int i = 0; i < BALLCOORDS; i++) {
        int d = 0;
        // Bit for bit: 0 and -0 print differently.
        while (d < ndistinct && std::memcmp(&c[firstof[d]], &c[i], sizeof(double)) != 0)
            d++;
        if (d == ndistinct)
            firstof[ndistinct++] = i;
        distinct[i] = d;
    }
}

} // namespace

void writeOBJ(FILE *OBJ)
{
    if (bondradius != 0) {
        std::fputs(BONDVERTS, OBJ);
        for (int i = 0; i < nelements; i++)
            std::fprintf(OBJ, "g %s\nusemtl bonds\n%s", elements[i].name, BONDFACES);
    }
    finddistinct();
    const double *c = &BALLVERTS[0][0];
    char text[BALLCOORDS][32];
    char lines[114 * (2 + 3 * 32)];
    for (int i = 0; i < nelements; i++) {
        const element &e = elements[i];
        std::fprintf(OBJ, "g %s\nusemtl %s\n", e.name, e.name);
        for (int d = 0; d < ndistinct; d++)
            std::snprintf(text[d], sizeof text[d], "%g", c[firstof[d]] * e.rad);
        // A radius of 0 still gets its vertices: the faces below count back
        // over exactly 114 of them, and so do the bond morph targets.
        size_t len = 0;
        for (int k = 0; k < BALLCOORDS; k++) {
            const char *t = text[distinct[k]];
            size_t n = std::strlen(t);
            if (k % 3 == 0)
                lines[len++] = 'v';
            lines[len++] = ' ';
            std::memcpy(lines + len, t, n);
            len += n;
            if (k % 3 == 2)
                lines[len++] = '\n';
        }
        std::fwrite(lines, 1, len, OBJ);
        std::fputs(BALLFACES, OBJ);
    }
}
