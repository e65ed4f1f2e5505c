#include "support/scripted_ui.h"

#include <cstring>

namespace scripted {
std::vector<recordedmessage> messages;
std::vector<recordedmessage> consolewarnings;
std::vector<recordeddialog> dialogs;
std::deque<scriptedanswer> answers;
std::vector<std::string> questions;
std::deque<int> replies;

void clear()
{
    messages.clear();
    consolewarnings.clear();
    dialogs.clear();
    answers.clear();
    questions.clear();
    replies.clear();
}

std::vector<std::string> captions()
{
    std::vector<std::string> out;
    for (const recordedmessage &m : messages)
        out.push_back(m.caption);
    return out;
}
} // namespace scripted

namespace {

// Recorded as the desktop program shows it (a file that failed with its
// path as text, the reason kept beside it, over the front end's window when
// owned); console-only warnings apart.
void record(void *owner, const problem &p)
{
    recordedmessage m{p.owned ? owner : nullptr,
                      p.detail,
                      p.what,
                      p.type & ~unsigned(KMB_CONSOLEONLY),
                      p.reason,
                      p.file,
                      p.line};
    if (p.type & KMB_CONSOLEONLY)
        scripted::consolewarnings.push_back(m);
    else
        scripted::messages.push_back(m);
}

int dialog(void *, window owner, char *file, const char *initdir, const char *title, const char *filter,
           int write)
{
    scripted::dialogs.push_back({owner, file, initdir ? initdir : "(null)", title, filter, write});
    if (scripted::answers.empty())
        return 0;
    scriptedanswer a = scripted::answers.front();
    scripted::answers.pop_front();
    if (!a.chosen || a.path.size() >= 256)
        return 0;
    std::memcpy(file, a.path.c_str(), a.path.size() + 1);
    return 1;
}

int yesno(void *, window, const char *, const char *text)
{
    scripted::questions.push_back(text);
    if (scripted::replies.empty())
        return 0;
    int yes = scripted::replies.front();
    scripted::replies.pop_front();
    return yes;
}

} // namespace

namespace scripted {
void tell(void *to, const problem &p) { record(to, p); }
frontend ui(window w) { return frontend{w, record, dialog, yesno}; }
} // namespace scripted
