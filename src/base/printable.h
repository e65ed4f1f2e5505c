// Text from a description, a molecule file or a command line as it may reach
// a terminal: control characters (an escape sequence can rewrite the screen
// or the window's title) shown as \xHH.
#pragma once

#include <string>

// text with every control character escaped; line breaks kept when
// keeplines is set (a message of several lines).
std::string printable(const std::string &text, bool keeplines = false);
