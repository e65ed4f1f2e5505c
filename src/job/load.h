// The first stage of every conversion: the description read into the model
// and, in coordinate mode, the bond angles derived, with every message on
// the way shown.
#pragma once

#include <cstdio>

struct frontend;

// Resets the model, reads the open description at path, refuses one without
// atoms and runs the bond-angle pass when it gives coordinates. Returns 1
// when there is a molecule to write, else 0 (already reported through ui).
int loaddescription(FILE *KRX, const char *path, const frontend &ui);

// Puts the molecule model and the reader back to their state at program start.
void resetjob();
