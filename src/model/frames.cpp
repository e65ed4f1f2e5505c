#include "model/frames.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "base/nocase.h"
#include "base/spill.h"
#include "model/model.h"
#include "model/numbers.h"
#include "model/parse.h"
#include "model/names.h"

namespace {

const char MALFORMED[] = "this annotation is malformed and is ignored";

// One frame as read. Only the last one's positions are in memory while
// lines come (by atom, NaN where no line placed the atom yet); each frame
// before it went to the store when the next began, if it was whole then: a
// trajectory may be larger than memory.
struct frame {
    int lineno;     // of its "//@ frame" line
    int natoms;     // atoms declared when it began
    bool broken;    // a line of it was ignored: the frame is dropped
    bool outofturn; // its own line was ignored, and said so already
    bool filled;    // every atom declared when it began was placed
    long stored;    // its record in the store, or -1
};

std::vector<frame> frames;
std::vector<float> current; // the last frame's positions
recordstore store;
std::vector<long> kept;     // the store's record of each frame kept
std::vector<float> visited; // the frame framepositions read last
bool angleswarned = false;

// The last frame is complete: it goes to the store if it could be kept. A
// frame that began with fewer atoms than the store's frames is dropped in
// the end (natoms only grows), and so are they when one begins with more.
void closeframe()
{
    if (frames.empty())
        return;
    frame &f = frames.back();
    f.filled = true;
    for (size_t i = 0; f.filled && i < current.size(); i++)
        f.filled = !std::isnan(current[i]);
    if (f.broken || !f.filled)
        return;
    size_t bytes = current.size() * sizeof(float);
    if (store.recordbytes() != bytes) {
        store.reset(bytes);
        for (frame &g : frames)
            g.stored = -1;
    }
    f.stored = static_cast<long>(store.count());
    store.append(current.data());
}

char shown[96];

const char *frameshown(int k)
{
    std::snprintf(shown, sizeof shown, "//@ frame %d", k);
    return shown;
}

} // namespace

void resetframes()
{
    frames.clear();
    frames.shrink_to_fit();
    current.clear();
    current.shrink_to_fit();
    store.reset(0);
    kept.clear();
    kept.shrink_to_fit();
    angleswarned = false;
}

bool isframeannotation(const char *keyword)
{
    return samenocase(keyword, "frame") || samenocase(keyword, "xyz");
}

int takeframe(char *const *tokens, int n, const char *line, int lineno, const char **caption,
              const char **text)
{
    *caption = MALFORMED;
    *text = line;
    if (!readxyz) {
        // Said once: a thousand frames would repeat it a million times.
        if (angleswarned)
            return 1;
        angleswarned = true;
        *caption = "frames need a description of coordinates (readxyz); they are ignored";
        return 0;
    }
    if (samenocase(tokens[0], "frame")) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", static_cast<int>(frames.size()) + 2);
        if (n != 2 || std::strcmp(tokens[1], expected) != 0) {
            *caption = "this frame is out of turn (frames count from 2, one after the other) and is ignored";
        }
        // An ignored frame still takes its place, so that its lines are
        // dropped with it and the next frame keeps its number.
        bool ok = *caption == MALFORMED;
        closeframe();
        current.assign(3 * static_cast<size_t>(natoms), std::numeric_limits<float>::quiet_NaN());
        frames.push_back({lineno, natoms, !ok, !ok, false, -1});
        return ok ? 1 : 0;
    }
    if (frames.empty()) {
        *caption = "these positions stand before any \"//@ frame\" line and are ignored";
        return 0;
    }
    frame &f = frames.back();
    int first = n >= 2 ? atomindex(tokens[1]) : -1;
    int count = (n - 2) / 3;
    bool ok = n >= 5 && (n - 2) % 3 == 0 && first >= 0 && first + count <= natoms;
    // The line's numbers, each read once.
    double values[MAXTOKENS];
    ok = ok && n <= MAXTOKENS;
    for (int i = 2; ok && i < n; i++)
        ok = readwholereal(tokens[i], &values[i - 2]) && std::isfinite(values[i - 2]);
    if (!ok || f.natoms != natoms) {
        if (n >= 2 && first < 0)
            *caption =
                "these positions name an unknown atom (frames stand after the atoms); the frame is "
                "ignored";
        else
            *caption = "these positions are malformed; the frame is ignored";
        f.broken = true;
        return 0;
    }
    for (int k = 0; k < count; k++)
        for (int c = 0; c < 3; c++) {
            float &slot = current[3 * static_cast<size_t>(first + k) + c];
            if (!std::isnan(slot)) {
                *caption = "these positions place an atom a second time in this frame; the frame is ignored";
                f.broken = true;
                return 0;
            }
            slot = static_cast<float>(values[3 * k + c]);
        }
    return 1;
}

void resolveframes(void (*warn)(const char *text, const char *caption, int lineno))
{
    closeframe();
    current.clear();
    current.shrink_to_fit();
    kept.clear();
    for (size_t k = 0; k < frames.size(); k++) {
        const frame &f = frames[k];
        bool whole = !f.broken && f.natoms == natoms && f.filled && f.stored >= 0;
        if (!whole) {
            if (!f.outofturn)
                warn(frameshown(static_cast<int>(k) + 2),
                     f.broken || f.natoms != natoms
                         ? "this frame has a line that was ignored; the frame is dropped"
                         : "this frame does not place every atom; the frame is dropped",
                     f.lineno);
            continue;
        }
        kept.push_back(f.stored);
    }
    frames.clear();
    frames.shrink_to_fit();
}

int framecount() { return 1 + static_cast<int>(kept.size()); }

const float *framepositions(int k)
{
    visited.resize(3 * static_cast<size_t>(natoms));
    if (!store.read(static_cast<size_t>(kept[static_cast<size_t>(k) - 1]), visited.data()))
        return nullptr;
    return visited.data();
}
