// The size of every path buffer: the desktop's dialogs, the job's names and
// folders, the settings file's value. A path that does not fit with its NUL
// is refused where it enters, never cut.
#pragma once

enum { PATHSIZE = 256 };
