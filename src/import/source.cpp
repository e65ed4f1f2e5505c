#include "import/source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <zlib.h>

#include "platform/infile.h"

namespace importer {

int linesource::more()
{
    if (eof_ || failed_)
        return 0;
    long n = fill(buf_, sizeof buf_);
    if (n < 0) {
        failed_ = true;
        return 0;
    }
    if (n == 0) {
        eof_ = true;
        return 0;
    }
    at_ = 0;
    end_ = static_cast<size_t>(n);
    if (!started_) {
        started_ = true;
        if (end_ >= 3 && std::memcmp(buf_, "\xEF\xBB\xBF", 3) == 0)
            at_ = 3;
    }
    return 1;
}

int linesource::next(std::string &line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (at_ == end_ && !more()) {
            if (failed_ || !any)
                return 0;
            lineno_++;
            return 1;
        }
        // A line feed right after a carriage return ends no second line.
        if (aftercr_) {
            aftercr_ = false;
            if (buf_[at_] == '\n') {
                at_++;
                continue;
            }
        }
        any = true;
        size_t from = at_;
        while (at_ < end_ && buf_[at_] != '\n' && buf_[at_] != '\r')
            at_++;
        if (line.size() + (at_ - from) > LINEMAX) {
            failed_ = true;
            why_.what = "line too long";
            why_.detail = name_ + ":" + std::to_string(lineno_ + 1) + ": more than " +
                          std::to_string(LINEMAX) + " characters";
            return 0;
        }
        line.append(buf_ + from, at_ - from);
        if (at_ < end_) {
            aftercr_ = buf_[at_] == '\r';
            at_++;
            lineno_++;
            return 1;
        }
    }
}

int linesource::rest(std::string &text)
{
    text.assign(buf_ + at_, end_ - at_);
    at_ = end_;
    while (more()) {
        text.append(buf_, end_);
        at_ = end_;
    }
    return !failed_;
}

int linesource::piece(const char **data, size_t *size)
{
    if (at_ == end_ && !more())
        return 0;
    *data = buf_ + at_;
    *size = end_ - at_;
    at_ = end_;
    return 1;
}

namespace {

class memorysource : public linesource {
public:
    memorysource(const std::string &name, const std::string &text) : linesource(name), text_(text) {}

protected:
    long fill(char *buf, size_t n) override
    {
        size_t k = std::min(n, text_.size() - at_);
        std::memcpy(buf, text_.data() + at_, k);
        at_ += k;
        return static_cast<long>(k);
    }

private:
    std::string text_;
    size_t at_ = 0;
};

// zlib reads a file that is not gzip-compressed as it is, so one source
// serves both.
class gzsource : public linesource {
public:
    gzsource(const std::string &name, gzFile f, int fd)
        : linesource(name), f_(f), zlibname_("<fd:" + std::to_string(fd) + ">: ")
    {}
    ~gzsource() override { gzclose(f_); }

protected:
    long fill(char *buf, size_t n) override
    {
        int k = gzread(f_, buf, static_cast<unsigned>(n));
        int code = Z_OK;
        const char *msg = gzerror(f_, &code);
        // A gzip stream cut short ends with Z_BUF_ERROR: a cut file is a
        // read error, not a shorter molecule.
        if (k > 0 || (k == 0 && code == Z_OK))
            return k;
        // zlib begins its message with its own name for the stream, the
        // descriptor's number: the message names the file already.
        if (std::strncmp(msg, zlibname_.c_str(), zlibname_.size()) == 0)
            msg += zlibname_.size();
        why_.what = "cannot read";
        why_.detail = name() + ": " +
                      (code == Z_ERRNO ? std::string(std::strerror(errno))
                                       : std::string("broken gzip data (") + msg + ")");
        return -1;
    }

private:
    gzFile f_;
    std::string zlibname_;
};

const char *kindof(inputkind kind)
{
    switch (kind) {
    case INPUT_FOLDER:
        return "a folder";
    case INPUT_FIFO:
        return "a FIFO (named pipe)";
    case INPUT_DEVICE:
        return "a device";
    case INPUT_SOCKET:
        return "a socket";
    default:
        return "not a regular file";
    }
}

} // namespace

std::unique_ptr<linesource> textsource(const std::string &name, const std::string &text)
{
    return std::unique_ptr<linesource>(new memorysource(name, text));
}

int opensource(const std::string &path, std::unique_ptr<linesource> &in, problem &p)
{
    inputkind kind = INPUT_OTHER;
    int fd = openinput(path.c_str(), &kind);
    if (fd == -2)
        return fail(p, "not a file", path + " is " + kindof(kind) + ", not a molecule file");
    if (fd < 0)
        return fail(p, "cannot open", path + ": " + std::strerror(errno));
    errno = 0;
    gzFile f = gzdopen(fd, "rb");
    if (!f) {
        closeinput(fd);
        return fail(p, "cannot open", path + ": " + (errno ? std::strerror(errno) : "out of memory"));
    }
    gzbuffer(f, 65536);
    in.reset(new gzsource(path, f, fd));
    return 1;
}

} // namespace importer
