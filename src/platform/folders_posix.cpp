#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int isseparator(char c) { return c == '/'; }

int changedir(const char *path) { return chdir(path) == 0; }

int makedir(const char *path) { return mkdir(path, 0777) == 0; }

int currentdir(char *buf, size_t size) { return getcwd(buf, size) != nullptr; }

int pathexists(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

int abspath(const char *path, char *out, size_t size)
{
    if (path[0] == '/')
        return std::snprintf(out, size, "%s", path) < static_cast<int>(size);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return 0;
    const char *sep = cwd[std::strlen(cwd) - 1] == '/' ? "" : "/";
    return std::snprintf(out, size, "%s%s%s", cwd, sep, path) < static_cast<int>(size);
}
