// Helpers of the importer's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "import/molecule.h"
#include "base/problem.h"
#include "import/readers.h"
#include "import/source.h"

// A sample file of tests/import/data.
inline std::string sample(const std::string &name) { return std::string(KESTRIX_IMPORT_DATA) + "/" + name; }

// A file read as the importer reads it, expected to be accepted.
inline importer::inmolecule readsample(const std::string &path)
{
    importer::inmolecule m;
    problem p;
    EXPECT_EQ(importer::readinput(path, m, p), 1) << p.what << ": " << p.detail;
    return m;
}

// Collects the warnings a reader tells about m, in order.
inline void listen(importer::inmolecule &m, std::vector<problem> &told)
{
    m.tellto = &told;
    m.tell = [](void *to, const problem &w) { static_cast<std::vector<problem> *>(to)->push_back(w); };
}

// A text read as format f, as a file named "t" holding it would be read.
inline int readtext(importer::inputformat f, const std::string &text, importer::inmolecule &m, problem &p,
                    const importer::selection &s = importer::selection())
{
    std::unique_ptr<importer::linesource> in = importer::textsource("t", text);
    return importer::readas(f, *in, m, s, p);
}

// Writes text to path gzip-compressed, as the archives serve files.
inline void gzipto(const std::string &path, const std::string &text)
{
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(gzwrite(f, text.data(), static_cast<unsigned>(text.size())), static_cast<int>(text.size()));
    ASSERT_EQ(gzclose(f), Z_OK);
}

// Text cut at its line feeds.
inline std::vector<std::string> linesof(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}
