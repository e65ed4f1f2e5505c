// Where a conversion's time goes, stage by stage, inside one process: the
// reader, the bond-angle pass and the two writers, each run many times on one
// description and timed by the process's own CPU clock, which other work on
// the machine does not disturb. The writers write to the null device here;
// what writing the bytes to a file costs is the floor of kestrix-bench.
//
// usage: kestrix-stages DESCRIPTION.krx [REPEATS]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "angles/findangles.h"
#include "job/KESTRIX.h"
#include "job/load.h"
#include "model/model.h"
#include "model/reader.h"
#include "writers/poser/poser.h"

namespace {

double cputime()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

int readonce(const char *path)
{
    FILE *f = std::fopen(path, "rb");
    if (!f)
        return 0;
    resetjob();
    int ok = readmolecule(f, path, nullptr, nullptr);
    std::fclose(f);
    return ok && natoms > 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: kestrix-stages DESCRIPTION.krx [REPEATS]\n");
        return 2;
    }
    const char *path = argv[1];
    int repeats = argc == 3 ? std::atoi(argv[2]) : 50;
    startup();
    FILE *null = std::fopen("/dev/null", "w");
    if (!null || repeats < 1 || !readonce(path)) {
        std::fprintf(stderr, "kestrix-stages: cannot read %s\n", path);
        return 2;
    }

    double t0 = cputime();
    for (int i = 0; i < repeats; i++)
        readonce(path);
    double reading = (cputime() - t0) / repeats;

    t0 = cputime();
    for (int i = 0; i < repeats; i++)
        findangles(0);
    double pass = readxyz ? (cputime() - t0) / repeats : 0;

    t0 = cputime();
    for (int i = 0; i < repeats; i++)
        writeOBJ(null);
    double obj = (cputime() - t0) / repeats;

    t0 = cputime();
    for (int i = 0; i < repeats; i++)
        writeCR2(null, Name, "/poser/kestrix/x.obj", "/poser");
    double cr2 = (cputime() - t0) / repeats;

    std::printf("  %-20s reader %6.2f ms, bond angles %6.2f ms, OBJ writer %6.2f ms, CR2 writer %6.2f ms\n",
                std::strrchr(path, '/') ? std::strrchr(path, '/') + 1 : path, reading * 1e3, pass * 1e3,
                obj * 1e3, cr2 * 1e3);
    return 0;
}
