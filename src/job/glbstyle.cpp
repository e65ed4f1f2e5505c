#include "job/glbstyle.h"

#include "writers/gltf/glblook.h"

int setglbstyle(const char *name)
{
    glbstyle s;
    if (!styleofname(name, &s))
        return 0;
    figurestyle = s;
    return 1;
}

int isglbstyle(const char *name)
{
    glbstyle s;
    return styleofname(name, &s);
}
