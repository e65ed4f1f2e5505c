// Where a reader's lines come from: a file, plain or gzip-compressed, read
// in blocks so that memory stays the same whatever the file's size, or a text
// in memory (tests, the fuzz target). Lines end at LF, CR LF or a lone CR
// (classic Mac files), in any mix; a UTF-8 byte order mark at the start goes.
#pragma once

#include <memory>
#include <string>

#include "base/problem.h"

namespace importer {

class linesource {
public:
    explicit linesource(const std::string &name) : name_(name) {}
    virtual ~linesource() = default;
    linesource(const linesource &) = delete;
    linesource &operator=(const linesource &) = delete;

    // The next line without its end; 0 at the end of the input, or when the
    // input cannot be read on (failed() then says so).
    int next(std::string &line);
    // The number of the line next() gave last, from 1.
    int lineno() const { return lineno_; }
    // The name messages give the input by: its path.
    const std::string &name() const { return name_; }
    bool failed() const { return failed_; }
    const problem &why() const { return why_; }

    // Everything from here to the end, line ends as they are, for readers
    // that hand the whole text to a library; 0 if it cannot be read.
    int rest(std::string &text);
    // The same in pieces, for readers that keep less than the whole: the
    // next block of the input (at most a buffer's worth), 0 at the end or
    // when it cannot be read on.
    int piece(const char **data, size_t *size);

    // Longest line taken; a longer one is no line of a molecule file.
    static const size_t LINEMAX = 1 << 20;

protected:
    // Up to n bytes of the input into buf: the count, 0 at the end, -1 on a
    // read error (with why_ filled).
    virtual long fill(char *buf, size_t n) = 0;
    problem why_;

private:
    int more();
    std::string name_;
    char buf_[65536];
    size_t at_ = 0, end_ = 0;
    bool eof_ = false, failed_ = false, started_ = false, aftercr_ = false;
    int lineno_ = 0;
};

// A text in memory as the lines of an input called name.
std::unique_ptr<linesource> textsource(const std::string &name, const std::string &text);

// The file at path, plain or gzip-compressed (told by its first bytes). Only
// a regular file is taken: a FIFO, a device or a folder is refused, since
// reading one may never end or never mean a molecule.
int opensource(const std::string &path, std::unique_ptr<linesource> &in, problem &p);

} // namespace importer
