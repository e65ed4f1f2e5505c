#include "platform/binary.h"

#include <fcntl.h>
#include <io.h>

int binarystream(FILE *f)
{
    if (!f)
        return 0;
    return _setmode(_fileno(f), _O_BINARY) != -1;
}
