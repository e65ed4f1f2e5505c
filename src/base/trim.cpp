#include "base/trim.h"

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

} // namespace

std::string trim(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && blank(s[a]))
        a++;
    while (b > a && blank(s[b - 1]))
        b--;
    return s.substr(a, b - a);
}
