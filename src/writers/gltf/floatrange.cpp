#include "writers/gltf/floatrange.h"

void floatrange(const float *v, int n, float *low, float *high)
{
    float lo[4] = {v[0], v[0], v[0], v[0]}, hi[4] = {v[0], v[0], v[0], v[0]};
    int k = 0;
    for (; k + 4 <= n; k += 4)
        for (int j = 0; j < 4; j++) {
            lo[j] = v[k + j] < lo[j] ? v[k + j] : lo[j];
            hi[j] = v[k + j] > hi[j] ? v[k + j] : hi[j];
        }
    for (; k < n; k++) {
        lo[0] = v[k] < lo[0] ? v[k] : lo[0];
        hi[0] = v[k] > hi[0] ? v[k] : hi[0];
    }
    for (int j = 1; j < 4; j++) {
        lo[0] = lo[j] < lo[0] ? lo[j] : lo[0];
        hi[0] = hi[j] > hi[0] ? hi[j] : hi[0];
    }
    float *ends[2] = {&lo[0], &hi[0]};
    for (float *e : ends)
        if (*e == 0) {
            int t = 0;
            while (v[t] != 0)
                t++;
            *e = v[t];
        }
    *low = lo[0];
    *high = hi[0];
}
