#include "import/source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>
#ifndef _WIN32
#include <unistd.h>
#endif

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
    gzsource(const std::string &name, gzFile f) : linesource(name), f_(f) {}
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
        why_.what = "cannot read";
        why_.detail = name() + ": " +
                      (code == Z_ERRNO ? std::string(std::strerror(errno))
                                       : std::string("broken gzip data (") + msg + ")");
        return -1;
    }

private:
    gzFile f_;
};

const char *kindof(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
#ifdef S_ISSOCK
    if (S_ISSOCK(mode))
        return "a socket";
#endif
    return "not a regular file";
}

} // namespace

std::unique_ptr<linesource> textsource(const std::string &name, const std::string &text)
{
    return std::unique_ptr<linesource>(new memorysource(name, text));
}

int opensource(const std::string &path, std::unique_ptr<linesource> &in, problem &p)
{
#ifdef _WIN32
    struct _stat64 st;
    if (_stat64(path.c_str(), &st) != 0)
        return fail(p, "cannot open", path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail(p, "not a file", path + " is " + kindof(st.st_mode) + ", not a molecule file");
    errno = 0;
    gzFile f = gzopen(path.c_str(), "rb");
#else
    // Opened without waiting (a FIFO with no writer would block the open
    // itself) and looked at through the descriptor, so that what is looked
    // at is what is read.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(p, "cannot open", path + ": " + std::strerror(errno));
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int e = errno;
        close(fd);
        return fail(p, "cannot open", path + ": " + std::strerror(e));
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return fail(p, "not a file", path + " is " + kindof(st.st_mode) + ", not a molecule file");
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    errno = 0;
    gzFile f = gzdopen(fd, "rb");
    if (!f)
        close(fd);
#endif
    if (!f)
        return fail(p, "cannot open", path + ": " + (errno ? std::strerror(errno) : "out of memory"));
    gzbuffer(f, 65536);
    in.reset(new gzsource(path, f));
    return 1;
}

} // namespace importer
