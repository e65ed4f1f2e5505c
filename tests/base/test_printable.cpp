#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/printable.h"

struct printablecase {
    std::string in;
    bool keeplines;
    std::string out;
};

TEST(Printable, ControlCharactersAreEscaped)
{
    const std::vector<printablecase> cases = {
        {"plain text, / and \xc3\xa5", false, "plain text, / and \xc3\xa5"},
        {"\x1b]0;title\x07", false, "\\x1b]0;title\\x07"},
        {"tab\there\r", false, "tab\\x09here\\x0d"},
        {"two\nlines", false, "two\\x0alines"},
        {"two\nlines", true, "two\nlines"},
        {std::string("nul\0!", 5), false, "nul\\x00!"},
        {"del\x7f", false, "del\\x7f"},
    };
    for (const printablecase &c : cases)
        EXPECT_EQ(printable(c.in, c.keeplines), c.out) << c.in;
}
