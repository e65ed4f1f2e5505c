// Helpers of the importer's tests.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "molecule.h"
#include "problem.h"
#include "readers.h"

// A sample file of tests/import/data.
inline std::string sample(const std::string &name)
{
    return std::string(KESTRIX_IMPORT_DATA) + "/" + name;
}

// A file read as the importer reads it, expected to be accepted.
inline importer::inmolecule readsample(const std::string &path)
{
    importer::inmolecule m;
    importer::problem p;
    EXPECT_EQ(importer::readinput(path, m, p), 1) << p.what << ": " << p.detail;
    return m;
}

// Text cut at its line feeds, as readlines would give it.
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
