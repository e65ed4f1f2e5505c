// Constant data of the OBJ and CR2 writers: the bond cylinder and unit ball
// meshes, and the actor and material texts. The texts are printf format
// strings whose only conversions are %s and %g.
#pragma once

extern const char BONDVERTS[];         // 32 "v ..." lines, each ending "\n"
extern const char BONDFACES[];         // 16 "f ..." lines, absolute numbers 1 to 32
extern const double BALLVERTS[114][3]; // unit sphere: south pole, 7 rings of 16, north pole
extern const char BALLFACES[];         // 128 face lines with negative vertex numbers
extern const char ACTORBODY[];         // %g %g
extern const char ACTORROOT[];         // %s %s, then eight %g
extern const char ACTORATOM1[];        // %s %s %s
extern const char ACTORATOM2[];        // four %g
extern const char ACTORATOM3[];        // twelve %g
extern const char MATERIAL[];          // %s, then three %g
