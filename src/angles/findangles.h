// Turns atom positions into bond angles and lengths, each measured in the
// parent atom's frame, walking the atom tree depth-first.
#pragma once

// Computes theta, phi and bondl of every descendant of atom n (and zeroes
// the root's when n is 0). No position changes. Returns 1: the pass needs no
// memory beyond its own fixed tables.
int findangles(int n);
