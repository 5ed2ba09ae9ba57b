#pragma once
// Saving a text into a file the user chooses (the clipboard viewer's "Сохранить").

#include <windows.h>

namespace velkaro {

// Asks for a file name (GetSaveFileNameA) and writes `text` as the whole new content of that
// file. 0 when the user cancels, else 1, IDS_FILE_OPEN_ERROR or IDS_FILE_WRITE_ERROR.
int SaveTextAs(HWND owner, const char* text, const char* proposedName);

// The same with the dialog's title and filter text taken from the string table of `resources`
// (the program's own module above).
int SaveTextAs(HWND owner, const char* text, const char* proposedName, HINSTANCE resources);

}  // namespace velkaro
