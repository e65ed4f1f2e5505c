// Cuts one description line into tokens in place, and the name check that
// every figure, element and atom name must pass.
#pragma once

enum { MAXTOKENS = 63 };

extern char *parsed[MAXTOKENS + 1]; // null after the last token
extern int nargs;                   // tokens the reader currently holds

// Tokenizes line in place, fills parsed and returns the count (0 to 63).
int parse(char *line);

// 1 when every character is an ASCII letter, digit or '_' (an empty name
// passes), else 0.
int isgoodname(const char *name);
