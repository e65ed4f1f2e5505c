// Bond orders: what each reader keeps of the orders its format gives, and
// the order annotations of a description read back by the project's own
// reader, bond for bond, tree links and ring bonds alike.
#include <gtest/gtest.h>

#include <sstream>

#include "import/bonds.h"
#include "importtest.h"
#include "import/krx.h"
#include "model/bondgraph.h"
#include "model/model.h"
#include "model/names.h"
#include "import/readers.h"
#include "import/run.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

using namespace importer;

namespace {

typedef std::vector<std::pair<std::pair<int, int>, int>> orderlist;

orderlist ordersof(const inmolecule &m)
{
    orderlist out;
    for (const auto &o : m.orders)
        out.push_back({o.first, o.second});
    return out;
}

std::string v2000(const std::string &bondlines, int nbonds)
{
    std::string text = "t\n\n\n  4" + std::string(nbonds < 10 ? "  " : " ") + std::to_string(nbonds) +
                       "  0  0  0  0  0  0  0  0999 V2000\n";
    for (int i = 0; i < 4; i++)
        text += "    " + std::to_string(i) + ".0000    0.0000    0.0000 C   0  0\n";
    return text + bondlines + "M  END\n";
}

std::string mol2(const std::string &types)
{
    std::istringstream in(types);
    std::string text = "@<TRIPOS>MOLECULE\nt\n 4 3 1 0 0\nSMALL\nNO_CHARGES\n\n@<TRIPOS>ATOM\n";
    for (int i = 1; i <= 4; i++)
        text +=
            " " + std::to_string(i) + " C" + std::to_string(i) + " " + std::to_string(i) + ".0 0.0 0.0 C.3\n";
    text += "@<TRIPOS>BOND\n";
    std::string type;
    for (int i = 1; in >> type; i++)
        text += " " + std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(i + 1) + " " + type +
                "\n";
    return text;
}

std::string cmlarray(const std::string &orders)
{
    return "<cml><molecule><atomArray atomID=\"a b c d\" elementType=\"C C C C\" x3=\"0 1 2 3\" "
           "y3=\"0 0 0 0\" z3=\"0 0 0 0\"/><bondArray atomRef1=\"a b c\" atomRef2=\"b c d\"" +
           orders + "/></molecule></cml>";
}

} // namespace

TEST(Orders, EachReaderKeepsWhatItsFormatGives)
{
    const int S = ORDER_SINGLE, D = ORDER_DOUBLE, T = ORDER_TRIPLE, A = ORDER_AROMATIC;
    (void)S;
    struct row {
        inputformat format;
        std::string text;
        orderlist orders;
    } rows[] = {
        // MDL: 1 to 4; the query types 5 to 8 are drawn single; a pair
        // given twice keeps its later order.
        {FORMAT_MOL,
         v2000("  1  2  2  0\n  2  3  3  0\n  3  4  4  0\n", 3),
         {{{0, 1}, D}, {{1, 2}, T}, {{2, 3}, A}}},
        {FORMAT_MOL, v2000("  1  2  5  0\n  2  3  6  0\n  3  4  8  0\n  2  1  1  0\n", 4), {}},
        {FORMAT_MOL, v2000("  2  1  1  0\n  1  2  3  0\n", 2), {{{0, 1}, T}}},
        {FORMAT_MOL,
         "t\n\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\nM  V30 COUNTS 2 1 0 0 0\n"
         "M  V30 BEGIN ATOM\nM  V30 1 C 0 0 0 0\nM  V30 2 O 1.2 0 0 0\nM  V30 END ATOM\n"
         "M  V30 BEGIN BOND\nM  V30 1 2 2 1\nM  V30 END BOND\nM  V30 END CTAB\nM  END\n",
         {{{0, 1}, D}}},
        // Tripos: 1 2 3 ar; am, du and un are single.
        {FORMAT_MOL2, mol2("2 3 ar"), {{{0, 1}, D}, {{1, 2}, T}, {{2, 3}, A}}},
        {FORMAT_MOL2, mol2("am du un"), {}},
        // CML: digits and letters, in either bond form; an order list of
        // another length says nothing.
        {FORMAT_CML, cmlarray(" order=\"D T A\""), {{{0, 1}, D}, {{1, 2}, T}, {{2, 3}, A}}},
        {FORMAT_CML, cmlarray(" order=\"2 3 S\""), {{{0, 1}, D}, {{1, 2}, T}}},
        {FORMAT_CML, cmlarray(" order=\"2 3\""), {}},
        {FORMAT_CML, cmlarray(""), {}},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.text);
        inmolecule m;
        problem p;
        ASSERT_EQ(readtext(r.format, r.text, m, p), 1) << p.what << ": " << p.detail;
        EXPECT_EQ(ordersof(m), r.orders);
    }
}

TEST(Orders, MmcifStructConnValueOrder)
{
    std::string text = readfile(sample("peptide.cif"));
    inmolecule plain, given;
    problem p;
    ASSERT_EQ(readtext(FORMAT_CIF, text, plain, p), 1);
    EXPECT_TRUE(plain.orders.empty());
    const std::string last = "_struct_conn.ptnr2_auth_seq_id\n", row = "SG B 2\n";
    text.insert(text.find(last) + last.size(), "_struct_conn.pdbx_value_order\n");
    text.insert(text.find(row) + row.size() - 1, " doub");
    ASSERT_EQ(readtext(FORMAT_CIF, text, given, p), 1) << p.detail;
    ASSERT_EQ(given.orders.size(), 1u);
    EXPECT_EQ(given.orders.begin()->second, ORDER_DOUBLE);
    EXPECT_EQ(given.bonds, plain.bonds);
}

// The samples: the orders the files give, and nothing else.
TEST(Orders, Samples)
{
    const int D = ORDER_DOUBLE, T = ORDER_TRIPLE, A = ORDER_AROMATIC;
    struct row {
        const char *file;
        orderlist orders;
    } rows[] = {
        {"acetone.mol2", {{{1, 2}, D}}},
        {"propyne.cml", {{{0, 1}, T}}},
        {"benzene.mol", {{{0, 1}, D}, {{2, 3}, D}, {{4, 5}, D}}},
        {"benzene_aromatic.sdf",
         {{{0, 1}, A}, {{0, 5}, A}, {{1, 2}, A}, {{2, 3}, A}, {{3, 4}, A}, {{4, 5}, A}}},
        {"water.xyz", {}},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.file);
        EXPECT_EQ(ordersof(readsample(sample(r.file))), r.orders);
    }
}

// Imported and read back: each bond of the molecule has its order in the
// description's bond graph, whether it is a tree link or closes a ring.
TEST(Orders, ReadBackBondForBond)
{
    const std::string caffeine = std::string(KESTRIX_IMPORT_DATA) + "/../../../examples/caffeine.sdf";
    for (const std::string &path : {sample("acetone.mol2"), sample("propyne.cml"), sample("benzene.mol"),
                                    sample("benzene_aromatic.sdf"), caffeine}) {
        SCOPED_TRACE(path);
        inmolecule m = readsample(path);
        std::string out = tempfolder() + "/out.krx";
        std::ostringstream o, e;
        ASSERT_EQ(runimport({"-o", out, path}, "9.9.9", o, e), 0) << e.str();
        scripted::clear();
        ASSERT_EQ(readtext(readfile(out)), 1);
        EXPECT_TRUE(scripted::consolewarnings.empty());
        std::vector<std::string> names = atomnames(m);
        int given = 0, found = 0;
        for (const auto &b : allbonds(m)) {
            auto o = m.orders.find(b);
            int want = o == m.orders.end() ? ORDER_SINGLE : o->second;
            given += want != ORDER_SINGLE;
            int a = atomindex(names[b.first].c_str()), c = atomindex(names[b.second].c_str());
            ASSERT_GE(a, 0);
            ASSERT_GE(c, 0);
            int got = 0;
            if (atoms[a].parent == &atoms[c])
                got = orderoflink(a);
            else if (atoms[c].parent == &atoms[a])
                got = orderoflink(c);
            for (int k = 0; k < nringbonds; k++)
                if ((ringbonds[k].a == a && ringbonds[k].b == c) ||
                    (ringbonds[k].a == c && ringbonds[k].b == a))
                    got = orderofring(k);
            EXPECT_EQ(got, want) << names[b.first] << " " << names[b.second];
            found += got != ORDER_SINGLE;
        }
        EXPECT_GT(given, 0);
        EXPECT_EQ(found, given);
    }
}
