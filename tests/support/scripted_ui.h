// The user interface of the tests: dialogs answered from a queue, message
// boxes recorded for the test to inspect.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "job/ui.h"

struct recordedmessage {
    window owner;
    std::string text, caption;
    unsigned type;
    std::string reason = ""; // the system's reason, for a file that failed
    std::string file = "";   // the description it was found in, "" for none
    int line = 0;            // its line there, 0 for none
};

struct recordeddialog {
    window owner;
    std::string entry;   // the buffer's text when the dialog opened
    std::string initdir; // "(null)" for none
    std::string title;
    const char *filter;
    int write;
};

struct scriptedanswer {
    int chosen;       // 0: the user cancels
    std::string path; // the full path the dialog returns
};

namespace scripted {
extern std::vector<recordedmessage> messages;
// Warnings only a console shows (KMB_CONSOLEONLY), kept apart from the boxes.
extern std::vector<recordedmessage> consolewarnings;
extern std::vector<recordeddialog> dialogs;
extern std::deque<scriptedanswer> answers;
// The Yes/No questions asked (their texts) and the queued replies; with no
// reply queued the user says No.
extern std::vector<std::string> questions;
extern std::deque<int> replies;

// Forgets every message, dialog and queued answer.
void clear();
// The captions of the recorded messages, in order, for compact assertions.
std::vector<std::string> captions();
// The front end the jobs are handed: owned boxes recorded over w.
frontend ui(window w = nullptr);
// Its sink alone, for the reader: to is the owner window, or null.
void tell(void *to, const problem &p);
} // namespace scripted
