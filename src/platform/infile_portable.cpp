// What a file's mode says it is: the same test on both systems, whose C
// runtimes both give stat's mode bits and their macros.
#include "platform/infile.h"

#include <sys/stat.h>

inputkind inputkindof(unsigned mode)
{
    if (S_ISREG(mode))
        return INPUT_FILE;
    if (S_ISDIR(mode))
        return INPUT_FOLDER;
    if (S_ISFIFO(mode))
        return INPUT_FIFO;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return INPUT_DEVICE;
#ifdef S_ISSOCK
    if (S_ISSOCK(mode))
        return INPUT_SOCKET;
#endif
    return INPUT_OTHER;
}
