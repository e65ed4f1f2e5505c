// The desktop's side of the Poser job, in a file of its own: the console
// links the job without it, and so without GetFileName.
#include "job/chooser.h"

#include "job/KESTRIX.h"

int readKRX(const char *path, window w)
{
    dialogchooser dialogs(w);
    return readKRX(path, w, dialogs);
}

int dialogchooser::poserfolder(char *file, const char *remembered)
{
    file[0] = '\0';
    return GetFileName(w, file, remembered[0] ? remembered : "c:",
                       "find any file in your Poser installation's root folder", filterall, 0);
}

int dialogchooser::cr2file(char *file, const char *folder, int *replace)
{
    *replace = 1;
    file[0] = '\0';
    return GetFileName(w, file, folder, "file to write Poser CR2 file to?", filterCR2, 1);
}

int dialogchooser::objfile(char *file, const char *folder, int *replace)
{
    *replace = 1;
    file[0] = '\0';
    return GetFileName(w, file, folder, "file to write object geometry to?", filterOBJ, 1);
}
