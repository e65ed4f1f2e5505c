// The desktop's side of the Poser job, in a file of its own: the console
// links the job without it, and so without GetFileName.
#include "job/chooser.h"

#include "job/KESTRIX.h"

#include <cstdio>
#include <cstring>

#include "base/suffix.h"
#include "platform/folders.h"

namespace {

int poserdialog(void *w, char *file, const char *remembered)
{
    file[0] = '\0';
    return GetFileName(static_cast<window>(w), file, remembered[0] ? remembered : "c:",
                       "find any file in your Poser installation's root folder", filterall, 0);
}

// The dialog asks before replacing only the name as typed; the job then
// appends the suffix, so a name typed without it ("water" for an existing
// "water.cr2") is asked about here. No brings the dialog back.
int savedialog(window w, char *file, const char *folder, const char *title, const char *filter,
               const char *suffix, int *replace)
{
    *replace = 1;
    for (;;) {
        file[0] = '\0';
        if (!GetFileName(w, file, folder, title, filter, 1))
            return 0;
        char named[PATHSIZE];
        std::snprintf(named, sizeof named, "%s", file);
        if (!addsuffix(named, sizeof named, suffix) || std::strcmp(named, file) == 0 || !pathexists(named))
            return 1;
        char question[PATHSIZE + 64];
        std::snprintf(question, sizeof question, "%s already exists.\nDo you want to replace it?", named);
        if (askyesno(w, "Confirm Save As", question))
            return 1;
    }
}

int cr2dialog(void *w, char *file, const char *folder, int *replace)
{
    return savedialog(static_cast<window>(w), file, folder, "file to write Poser CR2 file to?", filterCR2,
                      ".cr2", replace);
}

int objdialog(void *w, char *file, const char *folder, int *replace)
{
    return savedialog(static_cast<window>(w), file, folder, "file to write object geometry to?", filterOBJ,
                      ".obj", replace);
}

} // namespace

chooser dialogchooser(window w) { return chooser{w, poserdialog, cr2dialog, objdialog, nullptr, 1}; }

int readKRX(const char *path, window w)
{
    chooser dialogs = dialogchooser(w);
    return readKRX(path, w, dialogs);
}
