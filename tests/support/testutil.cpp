#include "support/testutil.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "job/KESTRIX.h"
#include "job/load.h"
#include "model/model.h"
#include "model/reader.h"
#include "support/scripted_ui.h"
#include "writers/poser/poser.h"

std::string testdata(const std::string &relative) { return std::string(KESTRIX_TESTDATA) + "/" + relative; }

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writefile(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string contents(FILE *f)
{
    long size = std::ftell(f);
    std::rewind(f);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    size_t got = std::fread(&out[0], 1, out.size(), f);
    out.resize(got);
    return out;
}

std::vector<std::string> listfolder(const std::string &dir)
{
    std::vector<std::string> out;
    DIR *d = opendir(dir.c_str());
    if (!d)
        return out;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            out.push_back(name);
    }
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

int failsonfulldisk(long limit, const std::function<int()> &job, const std::string &file)
{
    pid_t child = fork();
    if (child < 0)
        return 0;
    if (child == 0) {
        // Past the limit a write fails instead of the signal ending the child.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        setrlimit(RLIMIT_FSIZE, &lim);
        scripted::clear();
        int ok = job();
        bool reported = !scripted::messages.empty() &&
                        scripted::messages.back().caption == "I can't write this file" &&
                        scripted::messages.back().text == file;
        _exit(ok == 0 && reported ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string tempfolder()
{
    const char *base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base ? base : "/tmp") + "/kestrix-test-XXXXXX";
    char *made = mkdtemp(&tmpl[0]);
    return made ? std::string(made) : std::string();
}

int readtext(const std::string &text)
{
    resetjob();
    FILE *f = tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    int ok = readmolecule(f, "test.krx", scripted::tell, nullptr);
    std::fclose(f);
    return ok;
}

namespace {
template <class Write>
std::string capture(Write write)
{
    FILE *f = tmpfile();
    write(f);
    std::string out = contents(f);
    std::fclose(f);
    return out;
}
} // namespace

std::string objtext()
{
    return capture([](FILE *f) { writeOBJ(f); });
}

std::string cr2text(const char *objfile, const char *poser)
{
    return capture([&](FILE *f) { writeCR2(f, Name, objfile, poser); });
}
