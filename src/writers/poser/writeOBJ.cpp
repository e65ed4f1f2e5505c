#include <cstring>

#include "model/model.h"
#include "writers/BALL.h"
#include "writers/pattern.h"
#include "writers/printg.h"
#include "writers/poser/poser.h"

namespace {

// Formatting a number costs far more than copying its text, and the ball's
// 342 coordinates take only a few distinct values (its rings are symmetric).
// Equal coordinates times one radius are equal products, so each element
// formats each distinct product once and copies the text for the others.
enum { BALLCOORDS = 114 * 3 };
int distinct[BALLCOORDS]; // index of each coordinate's first equal, in reading order
int ndistinct = 0;
int firstof[BALLCOORDS]; // the coordinate that stands for each distinct value

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
    finddistinct();
    textbuffer out(OBJ);
    static const pattern bondgroup("g %s\nusemtl bonds\n%s"), ballgroup("g %s\nusemtl %s\n"),
        vertex("v %s %s %s\n");
    const piece bondfaces(BONDFACES), ballfaces(BALLFACES);
    if (bondradius != 0) {
        out.add(BONDVERTS);
        for (int i = 0; i < nelements; i++)
            bondgroup.fill(out, {elements[i].name, bondfaces});
    }
    const double *c = &BALLVERTS[0][0];
    numtext text[BALLCOORDS];
    for (int i = 0; i < nelements; i++) {
        const element &e = elements[i];
        ballgroup.fill(out, {e.name, e.name});
        for (int d = 0; d < ndistinct; d++)
            text[d] = printg(c[firstof[d]] * e.rad);
        // A radius of 0 still gets its vertices: the faces below count back
        // over exactly 114 of them, and so do the bond morph targets.
        for (int k = 0; k < BALLCOORDS; k += 3)
            vertex.fill(out, {text[distinct[k]], text[distinct[k + 1]], text[distinct[k + 2]]});
        out.add(ballfaces);
    }
    out.flush();
}
