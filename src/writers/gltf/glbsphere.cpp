#include "writers/gltf/glbsphere.h"

#include "geometry/trig.h"

namespace {

glbsphere make()
{
    glbsphere s;
    auto set = [&s](int k, double x, double y, double z) {
        s.point[0][k] = x;
        s.point[1][k] = y;
        s.point[2][k] = z;
    };
    set(0, 0, -1, 0);
    for (int band = 1; band < SPHEREBANDS; band++) {
        double sinlat, coslat; // of the angle from the south pole
        ksincos(pi * band / SPHEREBANDS, &sinlat, &coslat);
        for (int j = 0; j < SPHERESEGMENTS; j++) {
            double s1, c1;
            ksincos(2 * pi * j / SPHERESEGMENTS, &s1, &c1);
            set(1 + (band - 1) * SPHERESEGMENTS + j, sinlat * c1, -coslat, sinlat * s1);
        }
    }
    const int north = SPHEREPOINTS - 1;
    set(north, 0, 1, 0);
    auto ring = [](int band, int j) { return 1 + (band - 1) * SPHERESEGMENTS + j % SPHERESEGMENTS; };
    int t = 0;
    auto add = [&s, &t](int a, int b, int c) {
        s.triangles[t][0] = a;
        s.triangles[t][1] = b;
        s.triangles[t][2] = c;
        t++;
    };
    // The corners of each triangle run counter-clockwise seen from outside.
    for (int j = 0; j < SPHERESEGMENTS; j++)
        add(0, ring(1, j), ring(1, j + 1));
    for (int band = 1; band + 1 < SPHEREBANDS; band++)
        for (int j = 0; j < SPHERESEGMENTS; j++) {
            int a = ring(band, j), b = ring(band, j + 1), c = ring(band + 1, j), d = ring(band + 1, j + 1);
            add(a, c, d);
            add(a, d, b);
        }
    for (int j = 0; j < SPHERESEGMENTS; j++)
        add(north, ring(SPHEREBANDS - 1, j + 1), ring(SPHEREBANDS - 1, j));
    return s;
}

} // namespace

const glbsphere &unitsphere()
{
    static const glbsphere s = make();
    return s;
}
