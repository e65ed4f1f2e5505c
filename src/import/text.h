// Reading an input file as lines, and the strict field conversions every
// reader uses: a field either is wholly a number or it is refused.
#pragma once

#include <string>
#include <vector>

#include "problem.h"

namespace importer {

// The whole file as lines without their line ends; a carriage return before
// a line feed and a UTF-8 byte order mark at the start are dropped.
int readlines(const std::string &path, std::vector<std::string> &lines, problem &p);

// Characters first to last (counted from 1, both included) of a fixed-column
// record, without surrounding blanks; short lines give what they have.
std::string column(const std::string &line, int first, int last);

std::string trim(const std::string &s);
std::vector<std::string> words(const std::string &s);

// A decimal real (sign, digits, point, exponent; no "nan", "inf" or hex),
// finite, with nothing else in the field.
int toreal(const std::string &field, double &value);
// A decimal integer with an optional sign, within int range.
int toint(const std::string &field, long &value);

// Atomic number from an element field: a symbol in any case ("C", "cl",
// "FE"), optionally followed by a running number as some programs write it
// ("C12"), or the atomic number itself ("6"). 0 when it names no element.
int elementfield(const std::string &field);

// A field of the file as a message may show it: quoted, at most 20
// characters, control characters as "?".
std::string quoted(const std::string &field);

// "FILE:LINE" for messages.
std::string where(const std::string &path, int line);

// |value| beyond which a coordinate is refused.
const double MAXCOORDINATE = 1e9;

} // namespace importer
