// Names and command ids shared by the resource script and the window code.
#pragma once

#define IDM_READ 256
#define IDM_HELP 257
#define IDM_EXIT 258
