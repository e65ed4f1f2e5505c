// Comparisons without regard to case, for keywords, names and suffixes. Only
// the ASCII letters fold: a description reads the same in every locale.
#pragma once

#include <cstddef>

char foldcase(char c);

// 1 when a and b are equal without regard to case.
int samenocase(const char *a, const char *b);

// 1 when the first n characters of a and b are equal without regard to case.
int samenocasen(const char *a, const char *b, size_t n);

// 1 when name ends in suffix without regard to case.
int endsnocase(const char *name, const char *suffix);
