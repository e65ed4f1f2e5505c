#include "geometry/trig.h"

#include <cmath>

double ksin(double x) { return std::sin(x); }
double kcos(double x) { return std::cos(x); }
double katan2(double y, double x) { return std::atan2(y, x); }
