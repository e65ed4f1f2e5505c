// On Windows the C runtime's descriptors 0, 1 and 2 may have no handle (a
// program started without them, and every desktop program): the runtime
// would give those numbers to the next files it opens.
#include "platform/standard.h"

#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <windows.h>

void openstandardstreams()
{
    for (int fd = 0; fd <= 2; fd++) {
        intptr_t h = _get_osfhandle(fd);
        // -2: a descriptor of a program without a console.
        if (h != (intptr_t)INVALID_HANDLE_VALUE && h != -2)
            continue;
        int null = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
}
