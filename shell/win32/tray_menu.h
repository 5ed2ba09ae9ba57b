#pragma once
// The state of the tray menu's items each time it opens: "Спящий режим" checked while sleep
// mode is on (whatever the resource says), "Очистить буфер обмена" greyed while there is
// nothing it may clear. No other item is ever greyed.

#include <windows.h>

namespace velkaro {

// `clipboardClearable`: no clipboard viewer is open and the clipboard holds text.
void PrepareTrayMenu(HMENU popup, bool sleepMode, bool clipboardClearable);

}  // namespace velkaro
