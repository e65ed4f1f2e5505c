// Format strings split once and filled into one output block.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "writers/pattern.h"

namespace {

// What a textbuffer writes onto a stream, as a string.
struct capture {
    char *data = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&data, &size);

    ~capture() { std::free(data); }
    std::string text()
    {
        std::fclose(stream);
        stream = nullptr;
        return std::string(data, size);
    }
};

} // namespace

TEST(Pattern, SlotsInOrder)
{
    const struct {
        const char *format;
        size_t slots;
        std::vector<const char *> args;
        const char *want;
    } cases[] = {
        {"no slots\n", 0, {}, "no slots\n"},
        {"%s", 1, {"x"}, "x"},
        {"a %s b %g c %d d", 3, {"1", "2.5", "-3"}, "a 1 b 2.5 c -3 d"},
        {"%s%s", 2, {"ab", ""}, "ab"},
        {"100% %x %", 0, {}, "100% %x %"}, // only %s, %g and %d are slots
        {"\tname    %s\n\t\t\t %s:1\n", 2, {"atom1", "BODY"}, "\tname    atom1\n\t\t\t BODY:1\n"},
    };
    for (const auto &c : cases) {
        pattern p(c.format);
        ASSERT_EQ(p.slots(), c.slots) << c.format;
        std::vector<piece> args;
        for (const char *a : c.args)
            args.push_back(a);
        capture out;
        {
            textbuffer b(out.stream);
            p.fill(b, args.data());
            b.flush();
        }
        EXPECT_EQ(out.text(), c.want) << c.format;
    }
}

// Many times the block, with and without memory for it: the same bytes
// either way, in order.
TEST(Textbuffer, GrowsOrWritesAsItGoes)
{
    pattern line("line %d of %s\n");
    std::string want;
    for (int i = 0; i < 20000; i++) // some 350 kB
        want += "line " + std::to_string(i) + " of many\n";
    want += std::string(200000, 'x'); // longer than the block
    for (bool heap : {true, false}) {
        capture out;
        {
            textbuffer b(out.stream, heap);
            for (int i = 0; i < 20000; i++)
                line.fill(b, {printd(i), "many"});
            b.add(std::string(200000, 'x').c_str(), 200000);
            b.flush();
        }
        EXPECT_EQ(out.text(), want) << (heap ? "with memory" : "without");
    }
}
