// The trigonometry of the bond-angle pass. Every build must compute the same
// bits, so every value the pass keeps comes from these, not from the C
// library's functions (which it uses only as guesses that these confirm).
#pragma once

// 4 atan(1) as a double: radians become degrees as radians * 180 / pi. A
// constant, so that it holds its value before any start-up code has run.
constexpr double pi = 3.141592653589793;

double ksin(double x);
double kcos(double x);
double katan2(double y, double x);

// ksin(x) and kcos(x) at once.
void ksincos(double x, double *s, double *c);
// ksin and kcos of x[0 .. n-1] into s and c, the same bits, several at a
// time: a caller with many independent angles lets their work overlap.
void ksincos(const double *x, double *s, double *c, int n);
// katan2(y[i], x[i]) into out[i] for i below n, likewise.
void katan2(const double *y, const double *x, double *out, int n);
