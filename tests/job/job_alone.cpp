// The conversion jobs linked whole, with no front end at all: every symbol
// they need comes from the layers below them. The front end is only a record
// handed to them; this one counts what it is told.
//
// usage: kestrix_job_alone DESCRIPTION.krx OUT.glb
#include <cstdio>

#include "job/KESTRIX.h"
#include "job/glbjob.h"

namespace {

void count(void *to, const problem &) { ++*static_cast<int *>(to); }

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    int told = 0;
    frontend counting{&told, count, nullptr, nullptr};
    // A description that cannot be opened: one problem, told once.
    if (checkKRX("/nonexistent/missing.krx", counting) != 0 || told != 1) {
        std::fprintf(stderr, "a missing description: %d problems told\n", told);
        return 1;
    }
    // A silent front end: the conversion runs and its report is dropped.
    frontend silent{};
    std::remove(argv[2]);
    if (!convertGLB(argv[1], argv[2], 0, silent)) {
        std::fprintf(stderr, "%s: not converted\n", argv[1]);
        return 1;
    }
    // Without dialogs the desktop's choices give no answer: the Poser job
    // says it needs one and fails.
    told = 0;
    if (startup() != 1 || readKRX(argv[1], nullptr, counting) != 0 || told != 1) {
        std::fprintf(stderr, "the Poser job without dialogs: %d problems told\n", told);
        return 1;
    }
    return 0;
}
