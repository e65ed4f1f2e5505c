// A model file that includes a writer.
#include "writers/poser/poser.h"
