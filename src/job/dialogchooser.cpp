// The desktop's side of the Poser job, in a file of its own: the choices
// asked through the front end's dialogs, which the console has none of.
#include "job/chooser.h"

#include "job/KESTRIX.h"

#include <cstdio>
#include <cstring>

#include "base/suffix.h"
#include "platform/folders.h"

namespace {

int poserdialog(void *self, char *file, const char *remembered)
{
    const dialogowner &d = *static_cast<const dialogowner *>(self);
    file[0] = '\0';
    if (!d.ui->getfilename) // a front end without dialogs gives no answer
        return 0;
    return d.ui->getfilename(d.ui->self, d.w, file, remembered[0] ? remembered : "c:",
                             "find any file in your Poser installation's root folder", filterall, 0);
}

// The dialog asks before replacing only the name as typed; the job then
// appends the suffix, so a name typed without it ("water" for an existing
// "water.cr2") is asked about here. No brings the dialog back.
int savedialog(const dialogowner &d, char *file, const char *folder, const char *title, const char *filter,
               const char *suffix, int *replace)
{
    *replace = 1;
    for (;;) {
        file[0] = '\0';
        if (!d.ui->getfilename || !d.ui->getfilename(d.ui->self, d.w, file, folder, title, filter, 1))
            return 0;
        char named[PATHSIZE];
        std::snprintf(named, sizeof named, "%s", file);
        if (!addsuffix(named, sizeof named, suffix) || std::strcmp(named, file) == 0 || !pathexists(named))
            return 1;
        char question[PATHSIZE + 64];
        std::snprintf(question, sizeof question, "%s already exists.\nDo you want to replace it?", named);
        if (d.ui->askyesno && d.ui->askyesno(d.ui->self, d.w, "Confirm Save As", question))
            return 1;
    }
}

int cr2dialog(void *self, char *file, const char *folder, int *replace)
{
    return savedialog(*static_cast<const dialogowner *>(self), file, folder,
                      "file to write Poser CR2 file to?", filterCR2, ".cr2", replace);
}

int objdialog(void *self, char *file, const char *folder, int *replace)
{
    return savedialog(*static_cast<const dialogowner *>(self), file, folder,
                      "file to write object geometry to?", filterOBJ, ".obj", replace);
}

} // namespace

chooser dialogchooser(dialogowner *d) { return chooser{d, poserdialog, cr2dialog, objdialog, nullptr, 1}; }

int readKRX(const char *path, window w, const frontend &ui)
{
    dialogowner owner{&ui, w};
    chooser dialogs = dialogchooser(&owner);
    return readKRX(path, w, ui, dialogs);
}
