#include "job/load.h"

#include "base/messages.h"
#include "angles/findangles.h"
#include "job/ui.h"
#include "model/model.h"
#include "model/reader.h"

void resetjob()
{
    resetmodel();
    resetreader();
}

int loaddescription(FILE *KRX, const char *path)
{
    resetjob();
    // The reader's problems belong to no window, as the job's own messages.
    if (!readmolecule(KRX, path, tellui, nullptr))
        return 0;
    if (natoms == 0) {
        problem p = warning(MSG_NOATOMS, path);
        p.file = path;
        showproblem(nullptr, p);
        return 0;
    }
    if (readxyz)
        findangles(0); // works in fixed tables: it cannot run out of memory
    return 1;
}
