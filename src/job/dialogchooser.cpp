// The desktop's side of the Poser job, in a file of its own: the console
// links the job without it, and so without GetFileName.
#include "job/chooser.h"

#include "job/KESTRIX.h"

namespace {

int poserdialog(void *w, char *file, const char *remembered)
{
    file[0] = '\0';
    return GetFileName(static_cast<window>(w), file, remembered[0] ? remembered : "c:",
                       "find any file in your Poser installation's root folder", filterall, 0);
}

int cr2dialog(void *w, char *file, const char *folder, int *replace)
{
    *replace = 1;
    file[0] = '\0';
    return GetFileName(static_cast<window>(w), file, folder, "file to write Poser CR2 file to?", filterCR2,
                       1);
}

int objdialog(void *w, char *file, const char *folder, int *replace)
{
    *replace = 1;
    file[0] = '\0';
    return GetFileName(static_cast<window>(w), file, folder, "file to write object geometry to?", filterOBJ,
                       1);
}

} // namespace

chooser dialogchooser(window w) { return chooser{w, poserdialog, cr2dialog, objdialog, nullptr, 1}; }

int readKRX(const char *path, window w)
{
    chooser dialogs = dialogchooser(w);
    return readKRX(path, w, dialogs);
}
