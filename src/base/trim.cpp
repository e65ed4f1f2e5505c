#include "base/trim.h"

std::string trim(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && isasciiblank(s[a]))
        a++;
    while (b > a && isasciiblank(s[b - 1]))
        b--;
    return s.substr(a, b - a);
}
