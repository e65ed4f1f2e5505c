#include "job/load.h"

#include "geometry/findangles.h"
#include "job/KESTRIX.h"
#include "model/model.h"
#include "model/reader.h"

int loaddescription(FILE *KRX, const char *path)
{
    resetjob();
    // The reader's notices belong to no window, as the job's own messages.
    if (!readmolecule(KRX, path, shownotice, nullptr))
        return 0;
    if (natoms == 0) {
        messagebox(nullptr, path, "there are no atoms in this file", KMB_ICONWARNING);
        return 0;
    }
    if (readxyz)
        findangles(0); // works in fixed tables: it cannot run out of memory
    return 1;
}
