// The reader's lines taken out of 64 kB blocks: carriage returns, Ctrl-Z,
// line feeds and the 254-character pieces wherever the block ends fall.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

const size_t BLOCK = 65536; // the reader's block

// 1024 atoms in a chain, each line padded with a comment: about 110 kB.
std::string bigdescription()
{
    std::string text = "readxyz\nelement Cl 1 2 3 0.5\nelement C 3 2 1 0.25\n";
    char line[200];
    for (int a = 0; a < 1024; a++) {
        std::snprintf(line, sizeof line, "atom A%d %s %d.5 %d.25 -%d // %0100d\n", a, a % 3 ? "C" : "Cl", a,
                      a % 7, a % 11, a);
        text += line;
    }
    return text;
}

// What the model holds: every atom's name, element, parent and position.
std::string model()
{
    std::string out = std::to_string(natoms) + " atoms\n";
    char line[200];
    for (int i = 0; i < natoms; i++) {
        const atom &a = atoms[i];
        std::snprintf(line, sizeof line, "%s %s %d %.17g %.17g %.17g\n", a.name, a.sort->name,
                      a.parent ? static_cast<int>(a.parent - atoms) : -1, a.p.x, a.p.y, a.p.z);
        out += line;
    }
    return out;
}

std::string readmodel(const std::string &text)
{
    scripted::clear();
    EXPECT_EQ(readtext(text), 1);
    for (const auto &m : scripted::messages)
        ADD_FAILURE() << m.caption << ": " << m.text;
    return model();
}

// Whether the read succeeds, its messages and the model.
std::string outcome(const std::string &text)
{
    scripted::clear();
    std::string out = readtext(text) ? "read\n" : "refused\n";
    for (const auto &m : scripted::messages)
        out += m.caption + ": " + m.text + "\n";
    return out + model();
}

// text with a carriage return inserted before each of the given offsets.
std::string withreturns(const std::string &text, std::vector<size_t> at)
{
    std::string out;
    size_t k = 0;
    for (size_t i = 0; i < text.size(); i++) {
        while (k < at.size() && at[k] == i) {
            out += '\r';
            k++;
        }
        out += text[i];
    }
    return out;
}

} // namespace

TEST(ReaderLines, CarriageReturnsAnywhere)
{
    const std::string plain = bigdescription();
    ASSERT_GT(plain.size(), 2 * BLOCK + 100);
    const std::string want = readmodel(plain);
    ASSERT_EQ(natoms, 1024);

    std::string crlf;
    for (char c : plain)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(readmodel(crlf), want) << "CR LF";

    // Around both block ends, and runs of them; every 97th byte.
    for (size_t end : {BLOCK, 2 * BLOCK})
        for (size_t shift : {0, 1, 2, 3, 60}) {
            std::vector<size_t> at = {end - shift, end - shift, end - shift + 1};
            EXPECT_EQ(readmodel(withreturns(plain, at)), want) << "returns " << shift << " before " << end;
        }
    std::vector<size_t> every;
    for (size_t i = 0; i < plain.size(); i += 97)
        every.push_back(i);
    EXPECT_EQ(readmodel(withreturns(plain, every)), want) << "every 97th byte";
}

// The description ends at a Ctrl-Z as it would end at the file's end: a
// line it cuts is read up to it (and may be refused, the same way).
TEST(ReaderLines, CtrlZEndsTheFileAtABlockEnd)
{
    const std::string plain = bigdescription();
    for (size_t at : {BLOCK - 1, BLOCK, BLOCK + 1, 2 * BLOCK}) {
        std::string cut = plain.substr(0, at);
        std::string want = outcome(cut);
        EXPECT_EQ(outcome(cut + '\x1a' + plain.substr(at)), want) << "Ctrl-Z at " << at;
    }
}

// A line of 300 characters across the block end is two pieces of 254 and
// 46; carriage returns in it do not count.
TEST(ReaderLines, LongLineAcrossTheBlockEnd)
{
    std::string head = "element X 1 1 1 1\n";
    std::string filler = "// " + std::string(BLOCK - 100 - head.size() - 4, 'f') + "\n";
    std::string first = "atom A X 0 0 1" + std::string(240, ' '); // 254 characters
    std::string second = "atom B X 0 0 2\n";
    std::string text = head + filler + first + second;
    ASSERT_LT(head.size() + filler.size(), BLOCK);
    ASSERT_GT(head.size() + filler.size() + first.size(), BLOCK);
    scripted::clear();
    ASSERT_EQ(readtext(text), 1);
    ASSERT_EQ(natoms, 2);
    EXPECT_EQ(atoms[1].bondl, 2.0);

    std::string returns = first.substr(0, 100) + "\r\r\r" + first.substr(100);
    ASSERT_EQ(readtext(head + filler + returns + second), 1);
    ASSERT_EQ(natoms, 2);
    EXPECT_EQ(atoms[1].bondl, 2.0);
}
