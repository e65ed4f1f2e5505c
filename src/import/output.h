// Writing the description so that a failure leaves nothing behind: the text
// goes to a fresh file beside the target, which then takes the target's name.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "base/problem.h"

namespace importer {

// The default output of an input: the same path with the suffix ".krx".
std::string defaultoutput(const std::string &input);

// Writes text to path. Without replace an existing path is refused, and left
// as it was; on any failure the path is unchanged and no scrap remains.
// more, when given, writes what follows the text straight to the stream;
// its 0 fails the output as a failed write does.
int writeoutput(const std::string &path, const std::string &text, bool replace, problem &p,
                const std::function<int(std::FILE *)> &more = nullptr);

} // namespace importer
