// The standard descriptors of a program started with one of them closed
// ("2>&-"): the first file the program opens would get that number, and every
// message would be written into it. Each program calls this first of all.
#pragma once

// Opens every closed descriptor of 0, 1 and 2 on the null device.
void openstandardstreams();
