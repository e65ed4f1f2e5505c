#include "writers/gltf/srgb.h"

#include <cmath>

double srgbtolinear(unsigned char c)
{
    double v = c / 255.0;
    if (v <= 0.04045)
        return v / 12.92;
    return std::pow((v + 0.055) / 1.055, 2.4);
}
