// Reads a KRX molecule description into the molecule model.
#pragma once

#include <cstdio>

#include "base/problem.h"

// Reads the open description (opened in binary: the reader drops carriage
// returns and stops at Ctrl-Z itself, so every build reads the same lines).
// path is shown when the file cannot be read, and names the description in
// every problem. Every problem, a warning or the failure, goes to tell (with
// to) as it is met, with its line; returns 1 when the whole description was
// read, else 0.
int readmolecule(FILE *KRX, const char *path, problemsink tell, void *to);

// Empties the reader's branch state; part of every job's reset.
void resetreader();
