// A unit that takes a colour from the C library's pow, which the check of
// exact functions must refuse, in its source and in its object.
#include <cmath>

double tone(double x);

double tone(double x) { return std::pow(x, 2.4); }
