// The glTF figure's ball: a unit sphere of its own, finer than the Poser
// mesh's (whose ball stays as it is), made from the project's own sines and
// cosines so that every build writes the same bytes. Its polar axis is Y:
// the south pole, then SPHEREBANDS - 1 rings of SPHERESEGMENTS points from
// south to north, then the north pole. Seen along the axis its outline is
// the equator's regular polygon of 32 corners, within cos(pi / 32), 0.48%,
// of a circle; each point is its own outward normal.
#pragma once

enum {
    SPHERESEGMENTS = 32,
    SPHEREBANDS = 16,
    SPHEREPOINTS = 2 + SPHERESEGMENTS * (SPHEREBANDS - 1),
    SPHERETRIANGLES = 2 * SPHERESEGMENTS * (SPHEREBANDS - 1)
};

struct glbsphere {
    double point[3][SPHEREPOINTS];     // by component, of length 1
    int triangles[SPHERETRIANGLES][3]; // counter-clockwise seen from outside
};

const glbsphere &unitsphere();
