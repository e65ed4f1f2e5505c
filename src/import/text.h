// The strict field conversions every reader uses: a field either is wholly
// a number or it is refused.
#pragma once

#include <string>
#include <vector>

#include "base/trim.h"
#include "import/elements.h"
#include "base/problem.h"

namespace importer {

// Characters first to last (counted from 1, both included) of a fixed-column
// record, without surrounding blanks; short lines give what they have.
std::string column(const std::string &line, int first, int last);

std::vector<std::string> words(const std::string &s);
// The same into out, whose strings and room are used again: a trajectory's
// millions of lines would otherwise each make a new list.
void words(const std::string &s, std::vector<std::string> &out);

// A decimal real (sign, digits, point, exponent; no "nan", "inf" or hex),
// finite, with nothing else in the field. The exponent may be written with
// D as Fortran programs write it ("1.0D+00").
int toreal(const std::string &field, double &value);
// A decimal integer with an optional sign, within int range.
int toint(const std::string &field, long &value);
// A count: an integer, or a real with nothing after its point but zeros
// ("24.0", as some writers put it).
int tocount(const std::string &field, long &value);

// Element from an element field: a symbol in any case ("C", "cl", "FE",
// "D"), optionally followed by a running number as some programs write it
// ("C12"), or the atomic number itself ("6"); dummy atoms as readsymbol
// tells them.
symbolread elementfield(const std::string &field);

// A field of the file as a message may show it: quoted, at most 20
// characters, control characters as "?".
std::string quoted(const std::string &field);

// "FILE:LINE" for messages.
std::string where(const std::string &path, int line);

// Fails p with "malformed line" at path's line: why the line is refused.
int malformed(problem &p, const std::string &path, int line, const std::string &why);

// |value| beyond which a coordinate is refused.
const double MAXCOORDINATE = 1e9;

} // namespace importer
