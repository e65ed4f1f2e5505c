// The trigonometry of the bond-angle pass. Every build must compute the same
// bits, so the pass calls these and not the C library's functions directly.
#pragma once

double ksin(double x);
double kcos(double x);
double katan2(double y, double x);
