#include "support/scripted_ui.h"

#include <cstring>

namespace scripted {
std::vector<recordedmessage> messages;
std::vector<recordedmessage> consolewarnings;
std::vector<recordeddialog> dialogs;
std::deque<scriptedanswer> answers;

void clear()
{
    messages.clear();
    consolewarnings.clear();
    dialogs.clear();
    answers.clear();
}

std::vector<std::string> captions()
{
    std::vector<std::string> out;
    for (const recordedmessage &m : messages)
        out.push_back(m.caption);
    return out;
}
} // namespace scripted

void messagebox(window owner, const char *text, const char *caption, unsigned type)
{
    scripted::messages.push_back({owner, text, caption, type});
}

void consolewarning(const char *text, const char *caption)
{
    scripted::consolewarnings.push_back({nullptr, text, caption, KMB_ICONWARNING});
}

// Recorded as the desktop program shows it (the path as text), with the
// reason kept beside it.
void filewarning(window owner, const char *path, const char *caption, const char *reason)
{
    scripted::messages.push_back({owner, path, caption, KMB_ICONWARNING, reason});
}

int GetFileName(window owner, char *file, const char *initdir, const char *title, const char *filter,
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
