#pragma once
// Routines every window of the program shares: the caption and centring of a window, and the
// help file.

#include <windows.h>

#include <string>

namespace velkaro {

// Titles the window with `caption` and centres its outer rectangle on the screen (halves
// truncated), size unchanged, repainted.
void PlaceWindow(HWND window, const std::string& caption);

// Opens the help file at its topic (`helpPath`: the file, "::/", the topic) with HtmlHelpA,
// owner `owner`. The HTML Help control is loaded when first needed. False when no help window
// opened (no control, or the file is missing or unreadable): the caller tells the user.
bool ShowHelp(HWND owner, const char* helpPath);

}  // namespace velkaro
