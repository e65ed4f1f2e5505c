// Names and command ids shared by the resource script and the window code.
#pragma once

#define IDM_READ 256
#define IDM_HELP 257
#define IDM_EXIT 258

// The line the empty window shows (a string resource, so that a test reads
// the very text the window draws).
#define IDS_HINT 1
