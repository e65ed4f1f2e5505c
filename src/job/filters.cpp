#include "job/ui.h"

const char filterall[16] = "all files\0*.*\0";
const char filterOBJ[32] = "OBJ mesh geometry files\0*.OBJ\0";
const char filterCR2[24] = "Poser CR2 files\0*.CR2\0";
const char filterKRX[18] = "KRX files\0*.KRX\0";
