#include <sys/stat.h>
#include <cstdio>
