// The math including the bond-angle pass above it.
#include "angles/findangles.h"
