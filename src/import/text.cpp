#include "text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "elements.h"

namespace importer {

int readlines(const std::string &path, std::vector<std::string> &lines, problem &p)
{
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(p, "cannot open", path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lines.empty() && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        lines.push_back(line);
    }
    if (in.bad())
        return fail(p, "cannot read", path);
    return 1;
}

static bool isblank_(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string trim(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && isblank_(s[a]))
        a++;
    while (b > a && isblank_(s[b - 1]))
        b--;
    return s.substr(a, b - a);
}

std::string column(const std::string &line, int first, int last)
{
    size_t from = (size_t)(first - 1);
    if (from >= line.size())
        return std::string();
    return trim(line.substr(from, (size_t)(last - first + 1)));
}

std::vector<std::string> words(const std::string &s)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isblank_(s[i]))
            i++;
        size_t j = i;
        while (j < s.size() && !isblank_(s[j]))
            j++;
        if (j > i)
            out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

int toreal(const std::string &field, double &value)
{
    if (field.empty())
        return 0;
    bool digit = false;
    for (char c : field) {
        if (std::isdigit((unsigned char)c))
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return 0;
    }
    if (!digit)
        return 0;
    const char *begin = field.c_str();
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
        if (!std::isdigit((unsigned char)field[j]))
            return 0;
    errno = 0;
    long v = std::strtol(field.c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT_MAX || v < INT_MIN)
        return 0;
    value = v;
    return 1;
}

int elementfield(const std::string &field)
{
    if (field.empty())
        return 0;
    if (std::isdigit((unsigned char)field[0])) {
        long z = 0;
        if (!toint(field, z) || z < 1 || z > LASTELEMENT)
            return 0;
        return (int)z;
    }
    size_t letters = 0;
    while (letters < field.size() && std::isalpha((unsigned char)field[letters]))
        letters++;
    for (size_t i = letters; i < field.size(); i++)
        if (!std::isdigit((unsigned char)field[i]))
            return 0;
    return elementnumber(field.substr(0, letters));
}

std::string quoted(const std::string &field)
{
    std::string s = field.size() > 20 ? field.substr(0, 20) + "..." : field;
    for (char &ch : s)
        if ((unsigned char)ch < 32 || ch == 127)
            ch = '?';
    return "\"" + s + "\"";
}

std::string where(const std::string &path, int line)
{
    return path + ":" + std::to_string(line);
}

} // namespace importer
