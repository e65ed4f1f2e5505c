#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/spill.h"

// Each store through memory alone, a block of a few rows and of one row at
// a time: the values read back are those put in, whatever spilled.
struct spillcase {
    size_t memory;
};

const std::vector<spillcase> BUDGETS = {{1u << 20}, {200}, {1}};

TEST(Spill, ColumnsReadBackWhatTheRowsGave)
{
    const size_t rows = 37, columns = 5;
    for (const spillcase &c : BUDGETS) {
        columnstore t(rows, columns, sizeof(double), c.memory);
        for (size_t r = 0; r < rows; r++) {
            double *row = reinterpret_cast<double *>(t.row(r));
            for (size_t k = 0; k < columns; k++)
                row[k] = static_cast<double>(100 * r + k);
        }
        for (size_t k : {size_t(3), size_t(0), size_t(4), size_t(3)}) {
            const double *col = reinterpret_cast<const double *>(t.column(k));
            ASSERT_NE(col, nullptr);
            for (size_t r = 0; r < rows; r++)
                EXPECT_EQ(col[r], static_cast<double>(100 * r + k)) << c.memory << " " << r << " " << k;
        }
    }
}

TEST(Spill, RecordsReadBackByNumber)
{
    for (const spillcase &c : BUDGETS) {
        recordstore s(3 * sizeof(double), c.memory);
        for (int k = 0; k < 41; k++) {
            double r[3] = {1.0 * k, 2.0 * k, -1.0 * k};
            s.append(r);
        }
        ASSERT_EQ(s.count(), 41u);
        for (int k : {40, 0, 17, 39, 1}) {
            double r[3];
            ASSERT_TRUE(s.read(static_cast<size_t>(k), r));
            EXPECT_EQ(r[0], 1.0 * k);
            EXPECT_EQ(r[1], 2.0 * k);
            EXPECT_EQ(r[2], -1.0 * k);
        }
        // Emptied, with another size.
        s.reset(sizeof(double));
        double one = 5;
        s.append(&one);
        double back = 0;
        ASSERT_TRUE(s.read(0, &back));
        EXPECT_EQ(back, 5);
    }
}

// The temporary files come from the program's opener when it gives one: once
// per store that spills, none for a store that fits in memory. An opener
// that gives no file leaves everything in memory, still read back right.
int opened = 0;
std::FILE *countedfile()
{
    opened++;
    return std::tmpfile();
}
std::FILE *nofile()
{
    opened++;
    return nullptr;
}

TEST(Spill, TemporaryFilesComeFromTheProgramsOpener)
{
    const struct {
        spillopener open;
        size_t memory;
        int opens;
    } cases[] = {{countedfile, 64, 2}, {nofile, 64, 2}, {countedfile, 1u << 20, 0}};
    for (const auto &c : cases) {
        opened = 0;
        setspillfiles(c.open);
        recordstore s(sizeof(double), c.memory);
        columnstore t(50, 2, sizeof(double), c.memory);
        for (int k = 0; k < 50; k++) {
            double v = k;
            s.append(&v);
            double *row = reinterpret_cast<double *>(t.row(static_cast<size_t>(k)));
            row[0] = row[1] = v;
        }
        double back = -1;
        ASSERT_TRUE(s.read(49, &back));
        EXPECT_EQ(back, 49);
        const double *col = reinterpret_cast<const double *>(t.column(1));
        ASSERT_NE(col, nullptr);
        EXPECT_EQ(col[7], 7);
        EXPECT_EQ(opened, c.opens) << c.memory;
    }
    setspillfiles(nullptr);
}
