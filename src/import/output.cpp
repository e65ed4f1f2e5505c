#include "output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace importer {

namespace fs = std::filesystem;

std::string defaultoutput(const std::string &input)
{
    fs::path p(input);
    p.replace_extension(".krx");
    return p.string();
}

bool fileexists(const std::string &path)
{
    std::error_code ec;
    return fs::exists(fs::path(path), ec) || fs::is_symlink(fs::path(path), ec);
}

int writeoutput(const std::string &path, const std::string &text, bool replace, problem &p)
{
    if (!replace && fileexists(path))
        return fail(p, "output exists", path + " (use --force to replace it)");
    std::error_code ec;
    if (fs::is_directory(fs::path(path), ec))
        return fail(p, "cannot write", path + " is a folder");

    // A name of our own beside the target, so that the final rename stays
    // within one file system.
    std::string temp;
    std::FILE *f = nullptr;
    for (int i = 0; i < 1000 && !f; i++) {
        temp = path + ".part" + std::to_string(i);
        if (fileexists(temp))
            continue;
        f = std::fopen(temp.c_str(), "w");
    }
    if (!f)
        return fail(p, "cannot write", path);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(temp.c_str());
        return fail(p, "cannot write", path);
    }
    if (!replace && fileexists(path)) {
        std::remove(temp.c_str());
        return fail(p, "output exists", path + " (use --force to replace it)");
    }
    fs::rename(fs::path(temp), fs::path(path), ec);
    if (ec) {
        std::remove(temp.c_str());
        return fail(p, "cannot write", path + ": " + ec.message());
    }
    return 1;
}

} // namespace importer
