#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/nocase.h"
#include "base/trim.h"

// Fields of molecule files and lines of settings files: every ASCII blank
// goes at both ends, nothing inside, and a byte that is no blank stays.
TEST(Text, TrimTable)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {" \t\r\n\v\f", ""},
        {"  key = value\r", "key = value"},
        {"\tC 1.0 2.0\n", "C 1.0 2.0"},
        {"a", "a"},
        {std::string("\0x\0", 3), std::string("\0x\0", 3)},
        {"\xa0nbsp\xa0", "\xa0nbsp\xa0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(trim(c.first), c.second) << c.first;
}

// Only the ASCII letters fold, in every locale; a shorter string never
// equals a longer one.
TEST(Text, SameNoCaseTable)
{
    struct row {
        const char *a, *b;
        int same;
    };
    const row rows[] = {
        {"READXYZ", "readxyz", 1},   {"Cl", "CL", 1},   {"C", "Cl", 0}, {"", "", 1},
        {"\xc3\x85", "\xc3\xa5", 0}, {"a_1", "A_1", 1},
    };
    for (const row &r : rows)
        EXPECT_EQ(samenocase(r.a, r.b), r.same) << r.a << " " << r.b;
    EXPECT_EQ(endsnocase("water.KRX", ".krx"), 1);
    EXPECT_EQ(endsnocase("krx", ".krx"), 0);
}
