// The OBJ and CR2 writers in their first, plain form, as the oracle for the
// writers' output, byte for byte.
#pragma once

#include <cstdio>

void referenceOBJ(FILE *OBJ);
void referenceCR2(FILE *CR2, const char *name, const char *objfile, const char *posername);
