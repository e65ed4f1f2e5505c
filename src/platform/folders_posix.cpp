#include "platform/folders.h"

#include "platform/outfile.h"

#include <sys/stat.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int isseparator(char c) { return c == '/'; }

int notregular(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

int isfolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Another run making the same folder at the same moment is no failure. A
// failure leaves mkdir's own reason in errno, not the look after it.
int makedir(const char *path)
{
    if (mkdir(path, 0777) == 0)
        return 1;
    int err = errno;
    struct stat st;
    if (err == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode))
        return 1;
    // A file in the folder's place: what is wrong is that it is no folder.
    errno = err == EEXIST ? ENOTDIR : err;
    return 0;
}

int currentdir(char *buf, size_t size) { return getcwd(buf, size) != nullptr; }

int pathexists(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

int nameinuse(const char *path)
{
    struct stat st;
    return lstat(path, &st) == 0;
}

// "." and repeated slashes dropped, and no trailing slash: they change no
// file the path names (the figure file compares the mesh's path with the
// Poser folder's by their text). ".." is left in: what it names depends on
// the links before it, which abspath asks the system about.
static void tidy(char *path)
{
    char tidied[4096];
    size_t used = 0; // tidied holds "/" and whole segments, each ending in '/'
    tidied[used++] = '/';
    for (const char *in = path; *in;) {
        while (*in == '/')
            in++;
        size_t len = std::strcspn(in, "/");
        if (len > 0 && !(len == 1 && in[0] == '.') && used + len + 1 < sizeof tidied) {
            std::memcpy(tidied + used, in, len);
            used += len;
            tidied[used++] = '/';
        }
        in += len;
    }
    if (used > 1)
        used--; // no trailing slash
    std::memcpy(path, tidied, used);
    path[used] = '\0';
}

// The length of path up to the end of its last ".." segment; 0 when it has
// none.
static size_t lastparent(const char *path)
{
    size_t end = 0;
    for (size_t i = 0; path[i]; i++)
        if (path[i] == '.' && path[i + 1] == '.' && (i == 0 || path[i - 1] == '/') &&
            (path[i + 2] == '/' || path[i + 2] == '\0'))
            end = i + 2;
    return end;
}

int abspath(const char *path, char *out, size_t size, const char **why)
{
    char joined[4096];
    int n;
    if (path[0] == '/') {
        n = std::snprintf(joined, sizeof joined, "%s", path);
    } else {
        char cwd[4096];
        // A working folder that was removed (or may not be read): its reason,
        // not a length.
        if (!getcwd(cwd, sizeof cwd)) {
            static char text[160];
            std::snprintf(text, sizeof text, "the current folder cannot be read (%s)", errnoreason(errno));
            if (why)
                *why = text;
            return 0;
        }
        n = std::snprintf(joined, sizeof joined, "%s/%s", cwd, path);
    }
    if (n < 0 || n >= static_cast<int>(sizeof joined)) {
        if (why)
            *why = errnoreason(ENAMETOOLONG);
        return 0;
    }
    // "a/link/../b" is b beside where the link leads, as the system reads
    // it, not "a/b": the part up to the last ".." is the system's to
    // resolve. A part that does not exist stays as written, for the open
    // to refuse it with its own reason.
    char resolved[PATH_MAX];
    size_t cut = lastparent(joined);
    if (cut > 0) {
        char head[4096];
        std::snprintf(head, sizeof head, "%.*s", static_cast<int>(cut), joined);
        if (realpath(head, resolved))
            n = std::snprintf(out, size, "%s/%s", resolved, joined + cut);
        else
            n = std::snprintf(out, size, "%s", joined);
    } else {
        n = std::snprintf(out, size, "%s", joined);
    }
    if (n < 0 || n >= static_cast<int>(size)) {
        if (why)
            *why = errnoreason(ENAMETOOLONG);
        return 0;
    }
    tidy(out);
    return 1;
}

int lookup(const char *path, const char **why)
{
    struct stat st;
    if (stat(path, &st) == 0)
        return 1;
    if (errno == ENOENT || errno == ENOTDIR)
        return 0;
    *why = errnoreason(errno);
    return -1;
}

int usersettings(char *out, size_t size)
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    int n;
    if (config && config[0] == '/') {
        n = std::snprintf(out, size, "%s/kestrix/kestrix.ini", config);
    } else {
        const char *home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return 0;
        n = std::snprintf(out, size, "%s/.config/kestrix/kestrix.ini", home);
    }
    return n > 0 && n < static_cast<int>(size);
}
