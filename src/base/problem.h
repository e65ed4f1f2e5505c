// What the user must hear of, as one value for every layer: the reader, the
// jobs, the importer and the writers report problems, and only the front
// end that called them shows them (the desktop as a message box, the
// consoles as a line). Reports and confirmations travel the same way.
#pragma once

#include <string>

enum {
    KMB_OK = 0x00,          // MB_OK: reports and confirmations
    KMB_ICONWARNING = 0x30, // MB_OK | MB_ICONEXCLAMATION: every failure
    KMB_EXCLAMATION = 0x30, // MB_ICONEXCLAMATION alone has the same value
    // No box at all: a warning that only a console shows (beside
    // KMB_ICONWARNING), about what earlier readers took in silence.
    KMB_CONSOLEONLY = 0x10000
};

struct problem {
    std::string what;   // the sentence: a message box's caption
    std::string detail; // the thing at fault (a path, a line, a name): a box's text
    // Where in a description it was found, for the console's
    // "FILE:LINE: " (the desktop's boxes never show it): the path as the
    // user gave it, "" for none; the line from 1, 0 for none.
    std::string file;
    int line = 0;
    // The system's reason for a file that failed ("permission denied"); the
    // console adds it after the path, the desktop's box shows the path alone.
    std::string reason;
    unsigned type = KMB_ICONWARNING; // a KMB_ value: the box's buttons and icon
    bool owned = false;              // shown over the caller's window; false: a box of its own
    // A warning: the work goes on (the consoles label it "warning:", as a
    // compiler does); false for failures, reports and confirmations.
    bool nonfatal = false;
};

// Fills p's sentence and thing at fault and returns 0, so that a failing
// step can end with one statement.
int fail(problem &p, const std::string &what, const std::string &detail);

// The usual kinds: a failure, a report or confirmation (no icon), a file
// that cannot be opened or written (with the system's reason).
problem warning(const std::string &what, const std::string &detail);
problem report(const std::string &what, const std::string &detail);
problem filefault(const std::string &what, const std::string &path, const char *reason);

// Where a layer hands its problems, one call each, in the order they arise;
// to is the caller's own pointer, passed through. A null sink drops them.
typedef void (*problemsink)(void *to, const problem &p);
