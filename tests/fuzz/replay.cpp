// Runs the fuzz target once on each file named on the command line, as the
// fuzzer would, so that every finding kept in regressions/ stays fixed in the
// ordinary build. A finding crashes or traps; a clean run prints nothing and
// exits with 0.
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool readall(const char *path, std::vector<uint8_t> *out)
{
    FILE *f = std::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out->insert(out->end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrix_fuzz_replay FILE...\n");
        return 2;
    }
    LLVMFuzzerInitialize(&argc, &argv);
    for (int i = 1; i < argc; i++) {
        std::vector<uint8_t> data;
        if (!readall(argv[i], &data)) {
            std::fprintf(stderr, "kestrix_fuzz_replay: cannot read %s\n", argv[i]);
            return 1;
        }
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    return 0;
}
