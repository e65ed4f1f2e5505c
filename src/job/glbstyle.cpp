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

int setglbbondcolours(const char *name)
{
    glbbondcolours c;
    if (!bondcoloursofname(name, &c))
        return 0;
    figurebondcolours = c;
    return 1;
}

int isglbbondcolours(const char *name)
{
    glbbondcolours c;
    return bondcoloursofname(name, &c);
}
