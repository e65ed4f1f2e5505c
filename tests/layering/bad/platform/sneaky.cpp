// Around the layers by a relative path.
#include "../model/model.h"
