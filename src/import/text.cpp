#include "import/text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "import/elements.h"

namespace importer {

std::string column(const std::string &line, int first, int last)
{
    size_t from = static_cast<size_t>(first - 1);
    if (from >= line.size())
        return std::string();
    return trim(line.substr(from, static_cast<size_t>(last - first + 1)));
}

std::vector<std::string> words(const std::string &s)
{
    std::vector<std::string> out;
    words(s, out);
    return out;
}

void words(const std::string &s, std::vector<std::string> &out)
{
    size_t n = 0, i = 0;
    while (i < s.size()) {
        while (i < s.size() && isasciiblank(s[i]))
            i++;
        size_t j = i;
        while (j < s.size() && !isasciiblank(s[j]))
            j++;
        if (j > i) {
            if (n == out.size())
                out.emplace_back();
            out[n++].assign(s, i, j - i);
        }
        i = j;
    }
    out.resize(n);
}

namespace {

// The powers of ten a double holds exactly.
const double TENS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A field of the form [sign] digits [. digits] with at most 15 digits in
// all (and some), as strtod reads it, where that is quick: the digits make
// an integer below 2^53 and the decimals a power of ten a double holds, so
// their quotient is rounded once, as strtod rounds the decimal. False for
// every other field, which strtod then reads.
bool plaindecimal(const std::string &field, double &value)
{
    size_t i = 0, n = field.size();
    bool negative = false;
    if (i < n && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    long long digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; i < n; i++) {
        char c = field[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15)
                return false;
            digits = digits * 10 + (c - '0');
            decimals += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (count == 0)
        return false;
    double v = static_cast<double>(digits) / TENS[decimals];
    value = negative ? -v : v;
    return true;
}

} // namespace

int toreal(const std::string &field, double &value)
{
    if (plaindecimal(field, value))
        return 1;
    if (field.empty())
        return 0;
    bool digit = false;
    for (char c : field) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E' && c != 'd' && c != 'D')
            return 0;
    }
    if (!digit)
        return 0;
    std::string f = field;
    for (char &c : f)
        if (c == 'd' || c == 'D')
            c = 'e';
    const char *begin = f.c_str();
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(begin, &end);
    if (end != begin + field.size() || errno == ERANGE || !std::isfinite(v))
        return 0;
    value = v;
    return 1;
}

int toint(const std::string &field, long &value)
{
    size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        i++;
    if (i == field.size())
        return 0;
    for (size_t j = i; j < field.size(); j++)
        if (!std::isdigit(static_cast<unsigned char>(field[j])))
            return 0;
    errno = 0;
    long v = std::strtol(field.c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT_MAX || v < INT_MIN)
        return 0;
    value = v;
    return 1;
}

int tocount(const std::string &field, long &value)
{
    if (toint(field, value))
        return 1;
    size_t point = field.find('.');
    if (point == std::string::npos || point == 0)
        return 0;
    for (size_t i = point + 1; i < field.size(); i++)
        if (field[i] != '0')
            return 0;
    return toint(field.substr(0, point), value);
}

symbolread elementfield(const std::string &field)
{
    symbolread none;
    if (field.empty())
        return none;
    if (std::isdigit(static_cast<unsigned char>(field[0]))) {
        long z = 0;
        if (!toint(field, z) || z < 1 || z > LASTELEMENT)
            return none;
        symbolread r;
        r.kind = symbolread::ELEMENT;
        r.z = static_cast<int>(z);
        return r;
    }
    size_t letters = 0;
    while (letters < field.size() && std::isalpha(static_cast<unsigned char>(field[letters])))
        letters++;
    if (letters == 0)
        return readsymbol(field);
    for (size_t i = letters; i < field.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(field[i])) && field[i] != '#')
            return none;
    return readsymbol(field.substr(0, letters));
}

std::string quoted(const std::string &field)
{
    std::string s = field.size() > 20 ? field.substr(0, 20) + "..." : field;
    for (char &ch : s)
        if (static_cast<unsigned char>(ch) < 32 || ch == 127)
            ch = '?';
    return "\"" + s + "\"";
}

// A reader that gets no line numbers (a library's parse) gives 0: the path
// alone.
std::string where(const std::string &path, int line)
{
    return line > 0 ? path + ":" + std::to_string(line) : path;
}

int malformed(problem &p, const std::string &path, int line, const std::string &why)
{
    return fail(p, "malformed line", where(path, line) + ": " + why);
}

} // namespace importer
