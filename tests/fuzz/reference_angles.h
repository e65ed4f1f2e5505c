// The bond-angle pass as first written: every atom turned for every child,
// a snapshot of all positions per level of the walk, put back after each
// child. Kept as the oracle for the pass's faster walk, whose results must be
// the same bits.
#pragma once

// Computes the angles of atom n's descendants (and zeroes the root's when n is
// 0) into the three tables, indexed like atoms; positions change only while
// it runs. Returns 0 when a snapshot could not be had.
int referenceangles(int n, double *theta, double *phi, double *bondl);
