#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/parse.h"

namespace {
std::vector<std::string> tokens(std::string line)
{
    line.push_back('\0');
    int n = parse(&line[0]);
    std::vector<std::string> out;
    for (int i = 0; i < n; i++)
        out.push_back(parsed[i]);
    EXPECT_EQ(parsed[n], nullptr);
    return out;
}
} // namespace

TEST(Parse, SeparatorsAndEnds)
{
    EXPECT_TRUE(tokens("").empty());
    EXPECT_TRUE(tokens(" \t  \t").empty());
    EXPECT_EQ(tokens("  atom\tO1\n"), (std::vector<std::string>{"atom", "O1"}));
    // A carriage return right after a token stays part of it; after a blank
    // it separates.
    EXPECT_EQ(tokens("atom O1\r"), (std::vector<std::string>{"atom", "O1\r"}));
    EXPECT_EQ(tokens("atom O1 \r"), (std::vector<std::string>{"atom", "O1"}));
    // Control characters separate where a token may start but do not end one.
    EXPECT_EQ(tokens("\x01\x02"
                     "a\x01"
                     "b c"),
              (std::vector<std::string>{"a\x01"
                                        "b",
                                        "c"}));
    EXPECT_EQ(tokens("\xc3\xa9t\xe9 x"), (std::vector<std::string>{"\xc3\xa9t\xe9", "x"}));
    // Only one line feed is stripped; another is part of the token.
    EXPECT_EQ(tokens("a\n\n"), (std::vector<std::string>{"a\n"}));
}

TEST(Parse, AtMost63Tokens)
{
    std::string line;
    for (int i = 0; i < 64; i++)
        line += std::string(1, static_cast<char>('a' + i % 26)) + " ";
    std::vector<std::string> t = tokens(line);
    ASSERT_EQ(t.size(), 63u);
    EXPECT_EQ(t[62], "k"); // the 63rd letter is terminated, the 64th never looked at
    std::string longtail = std::string(62 * 2, ' ');
    for (int i = 0; i < 62; i++)
        longtail[i * 2] = 'x';
    longtail += "last rest of line";
    t = tokens(longtail);
    ASSERT_EQ(t.size(), 63u);
    EXPECT_EQ(t[62], "last");
}

TEST(Parse, Names)
{
    EXPECT_EQ(isgoodname("H2O"), 1);
    EXPECT_EQ(isgoodname("Ring_2"), 1);
    EXPECT_EQ(isgoodname(""), 1);
    EXPECT_EQ(isgoodname("N-1"), 0);
    EXPECT_EQ(isgoodname("O.1"), 0);
    EXPECT_EQ(isgoodname("caf\xe9"), 0);
    EXPECT_EQ(isgoodname("\x80"), 0);
}
