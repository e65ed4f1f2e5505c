// The math including the bond-angle pass by its bare name.
#include "findangles.h"
