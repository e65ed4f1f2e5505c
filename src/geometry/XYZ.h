// The three-component vector that holds every atom's position, with the two
// turns the bond-angle pass uses. Results are compared bit for bit across
// builds, so each product is formed from the components as they were before
// the turn and nothing is fused or reordered (the geometry is built without
// floating-point contraction).
#pragma once

#include "geometry/trig.h"

struct xyz {
    double x, y, z;

    xyz(double x_ = 0, double y_ = 0, double z_ = 0) : x(x_), y(y_), z(z_) {}

    void operator-=(xyz o)
    {
        x -= o.x;
        y -= o.y;
        z -= o.z;
    }

    // Turn about Y by f radians: positive f carries +Z toward +X.
    xyz byphi(double f) const { return byphi(ksin(f), kcos(f)); }

    // Turn about X by f radians: positive f carries +Y toward +Z.
    xyz bytheta(double f) const { return bytheta(ksin(f), kcos(f)); }

    // The same turns given the sine and cosine of the angle, for a pass that
    // turns many points by one angle.
    xyz byphi(double s, double c) const { return xyz(x * c + z * s, y, z * c - x * s); }
    xyz bytheta(double s, double c) const { return xyz(x, y * c - z * s, z * c + y * s); }
};
