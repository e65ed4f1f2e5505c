// The trigonometry of the bond-angle pass. Every build must compute the same
// bits, so the pass calls these and not the C library's functions directly.
#pragma once

// 4 atan(1) as a double: radians become degrees as radians * 180 / pi. A
// constant, so that it holds its value before any start-up code has run.
constexpr double pi = 3.141592653589793;

double ksin(double x);
double kcos(double x);
double katan2(double y, double x);
