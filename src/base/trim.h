// Text without its surrounding blanks, for fields of molecule files and the
// lines of settings files alike.
#pragma once

#include <string>

// s without leading and trailing ASCII white space (space, tab, line feed,
// carriage return, vertical tab, form feed).
std::string trim(const std::string &s);
