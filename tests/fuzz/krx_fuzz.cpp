// One conversion in memory for arbitrary bytes: the job's reset, the reader,
// the bond-angle pass and both writers, in the job's order, with the output
// going to memory. Besides the sanitizers' own checks it traps on any broken
// promise of the model, the pass or the writers: a table the writers could
// not trust, a position not put back, an angle that differs by one bit from
// the pass in its first, plain form (also on trees the reader cannot make),
// or one byte of output that differs from the writers' plain form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "angles/findangles.h"
#include "job/KESTRIX.h"
#include "job/load.h"
#include "model/model.h"
#include "model/parse.h"
#include "model/reader.h"
#include "reference_angles.h"
#include "reference_writers.h"
#include "writers/poser/poser.h"

namespace {

// One output file in memory.
struct memfile {
    char *data = nullptr;
    size_t size = 0;
    FILE *stream;

    memfile() : stream(open_memstream(&data, &size))
    {
        if (!stream)
            std::abort();
    }
    memfile(const memfile &) = delete;
    memfile &operator=(const memfile &) = delete;
    ~memfile()
    {
        if (stream)
            std::fclose(stream);
        std::free(data);
    }
    bool close()
    {
        bool ok = !std::ferror(stream);
        ok = std::fclose(stream) == 0 && ok;
        stream = nullptr;
        return ok;
    }
};

struct output {
    memfile obj, cr2;
};

xyz before[MAXATOMS];
double theta[MAXATOMS], phi[MAXATOMS], bondl[MAXATOMS];

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool terminated(const char *s, size_t size) { return std::memchr(s, 0, size) != nullptr; }

// What the writers take for granted about the tables the reader fills.
void checkmodel()
{
    check(natoms >= 0 && natoms <= MAXATOMS);
    check(nelements >= 0 && nelements <= MAXELEMENTS);
    check(terminated(Name, sizeof Name));
    for (int i = 0; i < nelements; i++) {
        check(terminated(elements[i].name, sizeof elements[i].name));
        check(isgoodname(elements[i].name));
    }
    for (int i = 0; i < natoms; i++) {
        const atom &a = atoms[i];
        check(terminated(a.name, sizeof a.name));
        check(isgoodname(a.name));
        check(a.sort >= elements && a.sort < elements + nelements);
        if (i == 0)
            check(a.parent == nullptr);
        else
            check(a.parent >= atoms && a.parent < &a);
    }
}

// The pass against its first, plain form: the same bits for every atom it
// measures, and every position back as it was.
void checkangles(int n)
{
    for (int i = 0; i < natoms; i++) {
        before[i] = atoms[i].p;
        theta[i] = atoms[i].theta;
        phi[i] = atoms[i].phi;
        bondl[i] = atoms[i].bondl;
    }
    check(referenceangles(n, theta, phi, bondl) == 1);
    check(findangles(n) == 1);
    for (int i = 0; i < natoms; i++) {
        const atom &a = atoms[i];
        check(std::memcmp(&before[i], &a.p, sizeof(xyz)) == 0);
        check(std::memcmp(&theta[i], &a.theta, sizeof(double)) == 0);
        check(std::memcmp(&phi[i], &a.phi, sizeof(double)) == 0);
        check(std::memcmp(&bondl[i], &a.bondl, sizeof(double)) == 0);
    }
}

// Writes the output of both writers into memory and compares it byte for
// byte with that of the writers in their plain form.
void checkwriters()
{
    const char *objfile = "/poser/kestrix/fuzz.obj", *poser = "/poser";
    output got, want;
    writeOBJ(got.obj.stream);
    writeCR2(got.cr2.stream, Name, objfile, poser);
    referenceOBJ(want.obj.stream);
    referenceCR2(want.cr2.stream, Name, objfile, poser);
    check(got.obj.close() && want.obj.close() && got.cr2.close() && want.cr2.close());
    check(got.obj.size == want.obj.size && std::memcmp(got.obj.data, want.obj.data, got.obj.size) == 0);
    check(got.cr2.size == want.cr2.size && std::memcmp(got.cr2.data, want.cr2.data, got.cr2.size) == 0);
}

// The reader only makes trees in declaration order; the pass takes any tree
// whose parents come first. Rewires the atoms by the input's bytes.
void rewire(const uint8_t *data, size_t size)
{
    for (int i = 1; i < natoms; i++)
        atoms[i].parent = &atoms[data[i % size] % i];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // glibc refuses a memory stream of no bytes; the null device reads the same.
    FILE *KRX = size ? fmemopen(const_cast<uint8_t *>(data), size, "rb") : std::fopen("/dev/null", "rb");
    if (!KRX)
        std::abort();
    resetjob();
    int ok = readmolecule(KRX, "fuzz.krx", nullptr, nullptr);
    std::fclose(KRX);
    checkmodel();
    if (!ok || natoms == 0)
        return 0;
    if (readxyz)
        checkangles(0);
    checkwriters();
    if (readxyz && natoms > 1) {
        checkangles(natoms / 2);
        rewire(data, size);
        checkangles(0);
    }
    return 0;
}
