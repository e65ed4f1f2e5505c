#include "writers/gltf/bondlines.h"

#include "model/bondgraph.h"

int bondlinecount(int order)
{
    return order == BOND_DOUBLE || order == BOND_AROMATIC ? 2 : order == BOND_TRIPLE ? 3 : 1;
}

int bondlayout(int order, double radius, double ballradius, bondline out[MAXBONDLINES])
{
    const double thin = 0.6 * radius;
    int n = 0;
    switch (order) {
    case BOND_DOUBLE:
        out[n++] = {-1.5 * thin, thin, 0, 1};
        out[n++] = {1.5 * thin, thin, 0, 1};
        break;
    case BOND_TRIPLE:
        out[n++] = {-3 * thin, thin, 0, 1};
        out[n++] = {0, thin, 0, 1};
        out[n++] = {3 * thin, thin, 0, 1};
        break;
    case BOND_AROMATIC:
        out[n++] = {0, radius, 0, 1};
        out[n++] = {2 * radius, 0.5 * radius, 0.2, 0.8};
        break;
    default:
        // A single bond is drawn as it always was, whatever the balls.
        out[0] = {0, radius, 0, 1};
        return 1;
    }
    double reach = 0;
    for (int k = 0; k < n; k++) {
        double r = (out[k].offset < 0 ? -out[k].offset : out[k].offset) +
                   (out[k].radius < 0 ? -out[k].radius : out[k].radius);
        reach = r > reach ? r : reach;
    }
    const double most = 0.9 * ballradius;
    if (ballradius > 0 && reach > most) {
        double scale = most / reach;
        for (int k = 0; k < n; k++) {
            out[k].offset *= scale;
            out[k].radius *= scale;
        }
    }
    return n;
}
