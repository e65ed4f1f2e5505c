// Text from a description, a molecule file or a command line as it may reach
// a terminal: control characters (an escape sequence can rewrite the screen
// or the window's title) shown as \xHH.
#pragma once

#include <string>

// text with every control character escaped; line breaks kept when
// keeplines is set (a message of several lines).
std::string printable(const std::string &text, bool keeplines = false);

// Whether text holds a control character (a line feed, a carriage return,
// any other below space, or DEL): a name that would break the line of a
// figure file or a settings file that holds it.
bool hascontrol(const std::string &text);
