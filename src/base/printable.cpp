#include "base/printable.h"

#include <cstdio>

bool hascontrol(const std::string &text)
{
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127)
            return true;
    }
    return false;
}

std::string printable(const std::string &text, bool keeplines)
{
    std::string out;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u < 32 && !(keeplines && c == '\n')) || u == 127) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02x", u);
            out += esc;
        } else {
            out += c;
        }
    }
    return out;
}
