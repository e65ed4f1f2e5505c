// A message as a message box would show it. The layers below the front ends
// report what the user must see as such values and never show anything
// themselves; the front end that called them shows each one.
#pragma once

enum {
    KMB_OK = 0x00,          // MB_OK: reports and confirmations
    KMB_ICONWARNING = 0x30, // MB_OK | MB_ICONEXCLAMATION: every failure
    KMB_EXCLAMATION = 0x30, // MB_ICONEXCLAMATION alone has the same value
    // No box at all: a warning that only a console shows (beside
    // KMB_ICONWARNING), about extras that earlier readers ignored.
    KMB_CONSOLEONLY = 0x10000
};

struct notice {
    const char *caption; // the sentence: what happened
    const char *text;    // the thing at fault: a path, a line, a name
    unsigned type;       // KMB_OK or KMB_ICONWARNING
    bool owned;          // shown over the caller's window; false: a box of its own
};

// Where a layer hands its notices, one call each, in the order they arise;
// to is the caller's own pointer, passed through. A null sink drops them.
typedef void (*noticesink)(void *to, const notice &n);
