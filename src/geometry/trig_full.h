// The full double-double evaluation of atan2 alone. katan2 tries a shorter
// way first and falls back on this where the shorter way cannot decide the
// rounding; the tests hold the two to the same bits.
#pragma once

double fullatan2(double y, double x);
void fullatan2(const double *y, const double *x, double *out, int n);
