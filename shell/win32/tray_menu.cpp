#include "tray_menu.h"

#include "resource_ids.h"

namespace velkaro {

void PrepareTrayMenu(HMENU popup, bool sleepMode, bool clipboardClearable) {
    CheckMenuItem(popup, ID_SLEEP_MODE, MF_BYCOMMAND | (sleepMode ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(popup, TRAY_MENU_CLEAR_CLIPBOARD_POSITION,
                   MF_BYPOSITION | (clipboardClearable ? MF_ENABLED : MF_GRAYED));
}

}  // namespace velkaro
