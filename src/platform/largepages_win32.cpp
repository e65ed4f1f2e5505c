#include "platform/largepages.h"

// Windows gives large pages only to accounts with the right to lock memory:
// not asked for.
void uselargepages(size_t) {}
