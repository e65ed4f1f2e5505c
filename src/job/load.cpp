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

int loaddescription(FILE *KRX, const char *path, const frontend &ui)
{
    resetjob();
    // The reader tells the front end's own sink: one way for every problem.
    if (!readmolecule(KRX, path, ui.tell, ui.self))
        return 0;
    if (natoms == 0) {
        problem p = warning(MSG_NOATOMS, path);
        p.file = path;
        showproblem(ui, p);
        return 0;
    }
    if (readxyz)
        findangles(0); // works in fixed tables: it cannot run out of memory
    return 1;
}
