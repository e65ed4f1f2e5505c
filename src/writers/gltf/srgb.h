// Colour bytes of the description are sRGB-encoded; glTF colour factors are
// linear light.
#pragma once

// The byte c (0 to 255) as a linear value 0 to 1: c / 255 through the sRGB
// transfer function of IEC 61966-2-1.
double srgbtolinear(unsigned char c);
