#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int isseparator(char c) { return c == '/'; }

int isfolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Another run making the same folder at the same moment is no failure.
int makedir(const char *path)
{
    struct stat st;
    return mkdir(path, 0777) == 0 || (errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode));
}

int currentdir(char *buf, size_t size) { return getcwd(buf, size) != nullptr; }

int pathexists(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

// The path's own text, without "." and ".." and repeated slashes, as
// Windows makes full paths: the figure file compares the mesh's path with the
// Poser folder's by their text.
static void tidy(char *path)
{
    char tidied[4096];
    size_t used = 0; // tidied holds "/" and whole segments, each ending in '/'
    tidied[used++] = '/';
    for (const char *in = path; *in;) {
        while (*in == '/')
            in++;
        size_t len = std::strcspn(in, "/");
        if (len == 2 && in[0] == '.' && in[1] == '.') {
            if (used > 1) {
                used--;
                while (tidied[used - 1] != '/')
                    used--;
            }
        } else if (len > 0 && !(len == 1 && in[0] == '.') && used + len + 1 < sizeof tidied) {
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

int abspath(const char *path, char *out, size_t size)
{
    int n;
    if (path[0] == '/') {
        n = std::snprintf(out, size, "%s", path);
    } else {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd))
            return 0;
        n = std::snprintf(out, size, "%s/%s", cwd, path);
    }
    if (n < 0 || n >= static_cast<int>(size))
        return 0;
    tidy(out);
    return 1;
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
