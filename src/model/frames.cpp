#include "model/frames.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "base/nocase.h"
#include "model/model.h"
#include "model/numbers.h"
#include "model/names.h"

namespace {

const char MALFORMED[] = "this annotation is malformed and is ignored";

// One frame as read: its positions by atom, NaN where no line placed the
// atom yet. Each frame is a block of its own, so that a thousand of them
// never need one large block moved when another is added.
struct frame {
    std::vector<float> p;
    int lineno;     // of its "//@ frame" line
    int natoms;     // atoms declared when it began
    bool broken;    // a line of it was ignored: the frame is dropped
    bool outofturn; // its own line was ignored, and said so already
};

std::vector<frame> frames;
bool angleswarned = false;

char shown[96];

const char *frameshown(int k)
{
    std::snprintf(shown, sizeof shown, "//@ frame %d", k);
    return shown;
}

bool isnumber(const char *tok)
{
    const char *end = realend(tok);
    return end != tok && *end == '\0';
}

} // namespace

void resetframes()
{
    frames.clear();
    frames.shrink_to_fit();
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
        frames.push_back(
            {std::vector<float>(3 * static_cast<size_t>(natoms), std::numeric_limits<float>::quiet_NaN()),
             lineno, natoms, !ok, !ok});
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
    for (int i = 2; ok && i < n; i++)
        ok = isnumber(tokens[i]) && std::isfinite(readreal(tokens[i]));
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
            float &slot = f.p[3 * static_cast<size_t>(first + k) + c];
            if (!std::isnan(slot)) {
                *caption = "these positions place an atom a second time in this frame; the frame is ignored";
                f.broken = true;
                return 0;
            }
            slot = static_cast<float>(readreal(tokens[2 + 3 * k + c]));
        }
    return 1;
}

void resolveframes(void (*warn)(const char *text, const char *caption, int lineno))
{
    size_t kept = 0;
    for (size_t k = 0; k < frames.size(); k++) {
        frame &f = frames[k];
        bool whole = !f.broken && f.natoms == natoms;
        for (size_t i = 0; whole && i < f.p.size(); i++)
            whole = !std::isnan(f.p[i]);
        if (!whole) {
            if (!f.outofturn)
                warn(frameshown(static_cast<int>(k) + 2),
                     f.broken || f.natoms != natoms
                         ? "this frame has a line that was ignored; the frame is dropped"
                         : "this frame does not place every atom; the frame is dropped",
                     f.lineno);
            continue;
        }
        if (kept != k)
            frames[kept] = std::move(f);
        kept++;
    }
    frames.resize(kept);
}

int framecount() { return 1 + static_cast<int>(frames.size()); }

const float *framepositions(int k) { return frames[static_cast<size_t>(k) - 1].p.data(); }
