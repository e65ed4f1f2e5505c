// Conversion speed and memory of kestrix-cli on the largest descriptions.
//
// Generates two descriptions at the format's limits, both in coordinate mode
// with 128 elements and bonds drawn:
//
//   chain  1024 atoms in one chain: the deepest walk of the bond-angle pass
//   bushy  a root with 1023 children: the widest
//
// converts each end to end several times and prints the median wall time, the
// peak memory of the conversion (getrusage of the waited-for child), the size
// of the output, and the ratio of the conversion's time to the floor: the time
// of writing the same output bytes with one buffered copy, measured in the
// same run and the same folders. Targets: within 3 times the floor, peak
// memory under 64 MB.
//
// A small C++ program rather than a script: a child forked from a large
// process starts with that process's resident pages, and Linux counts them in
// the child's peak even after it has executed another program. What a child
// of this program starts with is printed with the results.
//
// usage: kestrix-bench KESTRIX_CLI WORK_DIR [RUNS]
// Exit status 1 when a target is missed, 2 when the benchmark cannot run.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const double TARGETRATIO = 3.0;
const double TARGETMB = 64.0;

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

[[noreturn]] void die(const std::string &what)
{
    std::fprintf(stderr, "kestrix-bench: %s\n", what.c_str());
    std::exit(2);
}

std::string readfile(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        die("cannot read " + path);
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.append(buf, n);
    std::fclose(f);
    return data;
}

uint64_t hashfile(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        die("cannot read " + path);
    uint64_t h = 14695981039346656037ull;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        for (size_t i = 0; i < n; i++)
            h = (h ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
    std::fclose(f);
    return h;
}

void writefile(const std::string &path, const std::string &data)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0)
        die("cannot write " + path);
}

void line(std::string *out, const char *format, ...) __attribute__((format(printf, 2, 3)));
void line(std::string *out, const char *format, ...)
{
    char buf[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    *out += buf;
    *out += '\n';
}

std::string header()
{
    std::string d;
    line(&d, "name bench");
    line(&d, "readxyz");
    line(&d, "bondradius 0.05 200 180 160");
    for (int e = 0; e < 128; e++)
        line(&d, "element E%d %d %d %d %.3f", e, e * 2, 255 - e, (e * 37) % 256, 0.2 + e / 256.0);
    return d;
}

// A helix of 1024 atoms, each bonded to the one before it.
std::string chain()
{
    std::string d = header();
    for (int a = 0; a < 1024; a++) {
        double t = a * 0.7;
        line(&d, "atom A%d E%d %.6f %.6f %.6f", a, a % 128, 1.4 * std::cos(t), 0.35 * a, 1.4 * std::sin(t));
    }
    return d;
}

// A root with 1023 children spread over a sphere.
std::string bushy()
{
    std::string d = header();
    line(&d, "atom R E0 0.5 -0.25 0.125");
    for (int a = 1; a < 1024; a++) {
        double z = 1 - 2 * (a + 0.5) / 1023, r = std::sqrt(std::max(0.0, 1 - z * z)), t = a * 2.399963;
        line(&d, "{ atom C%d E%d %.6f %.6f %.6f }", a, a % 128, 3 * r * std::cos(t), 3 * z, 3 * r * std::sin(t));
    }
    return d;
}

struct childrun {
    double wall, cpu;
    long maxrsskb;
    int status;
};

// Runs argv to its end with its standard output discarded.
childrun spawn(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    double start = now();
    pid_t pid = fork();
    if (pid < 0)
        die("cannot fork");
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status;
    rusage use;
    if (wait4(pid, &status, 0, &use) != pid)
        die("wait4 failed");
    childrun r;
    r.wall = now() - start;
    r.cpu = use.ru_utime.tv_sec + use.ru_utime.tv_usec * 1e-6 + use.ru_stime.tv_sec + use.ru_stime.tv_usec * 1e-6;
    r.maxrsskb = use.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

struct result {
    std::string name;
    size_t input, output;
    double conversion, cpu, floor, ratio, peakmb;
};

// The floor: the output bytes written into new files beside the outputs,
// each with one buffered copy (stdio, one fwrite of the whole file).
double writefloor(const std::vector<std::pair<std::string, std::string>> &outputs, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        std::vector<std::string> paths;
        for (const auto &o : outputs)
            paths.push_back(o.first + ".floor");
        double start = now();
        for (size_t k = 0; k < outputs.size(); k++)
            writefile(paths[k], outputs[k].second);
        times.push_back(now() - start);
        for (const std::string &p : paths)
            unlink(p.c_str());
    }
    return median(times);
}

result measure(const std::string &cli, const std::string &work, const char *name, const std::string &krxtext,
               int runs)
{
    std::string poser = work + "/poser", krx = work + "/" + name + ".krx";
    mkdir(poser.c_str(), 0777);
    writefile(krx, krxtext);
    std::string cr2 = poser + "/Runtime/Libraries/character/Molecules/" + name + ".cr2";
    std::string obj = poser + "/kestrix/" + name + ".obj";
    std::vector<std::string> args = {cli, "--force", "--quiet", "--poser", poser, krx};

    // The first run makes the folders and brings everything into the caches.
    if (int status = spawn(args).status)
        die(std::string(name) + ": kestrix-cli failed with status " + std::to_string(status));
    // Each run makes new files, as the floor does: replacing a file costs
    // more on some file systems (ext4 starts writing the new data out at
    // once), and would be measured on one side only.
    uint64_t first = 0;
    std::vector<double> walls, cpus;
    long peak = 0;
    for (int i = 0; i < runs; i++) {
        unlink(cr2.c_str());
        unlink(obj.c_str());
        childrun r = spawn(args);
        if (r.status != 0)
            die(std::string(name) + ": kestrix-cli failed with status " + std::to_string(r.status));
        // This process stays small while it runs children: a fork starts
        // with the parent's resident pages, and they count in the child's peak.
        uint64_t h = hashfile(cr2) * 31 + hashfile(obj);
        if (i > 0 && h != first)
            die(std::string(name) + ": the output differs between runs");
        first = h;
        walls.push_back(r.wall);
        cpus.push_back(r.cpu);
        peak = std::max(peak, r.maxrsskb);
    }
    std::vector<std::pair<std::string, std::string>> outputs = {{cr2, readfile(cr2)}, {obj, readfile(obj)}};
    result res;
    res.name = name;
    res.input = krxtext.size();
    res.output = outputs[0].second.size() + outputs[1].second.size();
    res.conversion = median(walls);
    res.cpu = median(cpus);
    res.floor = writefloor(outputs, runs);
    res.ratio = res.conversion / res.floor;
    res.peakmb = peak / 1024.0;
    return res;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: kestrix-bench KESTRIX_CLI WORK_DIR [RUNS]\n");
        return 2;
    }
    // Both are used after the change into the work folder.
    char resolved[PATH_MAX];
    if (!realpath(argv[1], resolved))
        die(std::string("no program ") + argv[1]);
    std::string cli = resolved, work = argv[2];
    int runs = argc == 4 ? std::atoi(argv[3]) : 9;
    if (runs < 1)
        die("RUNS must be at least 1");
    mkdir(work.c_str(), 0777);
    if (!realpath(work.c_str(), resolved))
        die("cannot make " + work);
    work = resolved;
    if (chdir(work.c_str()) != 0) // kestrix-cli keeps its settings file here
        die("cannot enter " + work);

    // What the benchmark's own fork brings into a child's peak, and what
    // starting and ending kestrix-cli costs without a conversion.
    long baseline = spawn({"/bin/true"}).maxrsskb;
    std::vector<double> starts;
    for (int i = 0; i < runs; i++)
        starts.push_back(spawn({cli, "--version"}).wall);

    std::vector<result> results = {measure(cli, work, "chain", chain(), runs),
                                   measure(cli, work, "bushy", bushy(), runs)};

    std::printf("median of %d runs; floor: the same bytes written with one buffered copy\n", runs);
    std::printf("%-6s %9s %10s %11s %9s %9s %7s %9s\n", "case", "input", "output", "conversion", "(cpu)",
                "floor", "ratio", "peak RSS");
    std::vector<std::string> missed;
    for (const result &r : results) {
        std::printf("%-6s %6.1f kB %7.2f MB %8.1f ms %6.1f ms %6.2f ms %6.2fx %6.1f MB\n", r.name.c_str(),
                    r.input / 1024.0, r.output / 1048576.0, r.conversion * 1000, r.cpu * 1000, r.floor * 1000,
                    r.ratio, r.peakmb);
        char buf[160];
        if (r.ratio > TARGETRATIO) {
            std::snprintf(buf, sizeof buf, "%s: %.2fx the floor (target %.0fx)", r.name.c_str(), r.ratio,
                          TARGETRATIO);
            missed.push_back(buf);
        }
        if (r.peakmb >= TARGETMB) {
            std::snprintf(buf, sizeof buf, "%s: %.1f MB peak (target under %.0f MB)", r.name.c_str(), r.peakmb,
                          TARGETMB);
            missed.push_back(buf);
        }
    }
    std::printf("kestrix-cli --version alone takes %.1f ms; peak RSS includes %.1f MB that any child of this\n"
                "program starts with\n",
                median(starts) * 1000, baseline / 1024.0);
    for (const std::string &m : missed)
        std::printf("MISSED %s\n", m.c_str());
    if (missed.empty())
        std::printf("targets met: within %.0fx the floor, peak memory under %.0f MB\n", TARGETRATIO, TARGETMB);
    return missed.empty() ? 0 : 1;
}
