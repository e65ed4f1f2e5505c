// Text without its surrounding blanks, for fields of molecule files and the
// lines of settings files alike.
#pragma once

#include <string>

// Whether c is ASCII white space (space, tab, line feed, carriage return,
// vertical tab, form feed), whatever the locale says.
inline bool isasciiblank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// s without leading and trailing white space (isasciiblank).
std::string trim(const std::string &s);
