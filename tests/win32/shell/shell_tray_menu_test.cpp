// The tray menu as it opens: the check mark of sleep mode and the greyed "Очистить буфер
// обмена", over the real menu resource and the real clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "clipboard_scope.h"
#include "clipboard_text.h"
#include "handles.h"
#include "resource_ids.h"
#include "tray_menu.h"

namespace velkaro {
namespace {

enum class Clipboard { Empty, Text, PictureOnly };

void FillClipboard(Clipboard content) {
    ui::ClipboardScope open;
    ASSERT_TRUE(open.ok());
    EmptyClipboard();
    if (content == Clipboard::Text) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 6);
        std::memcpy(GlobalLock(memory), "hello", 6);
        GlobalUnlock(memory);
        SetClipboardData(CF_TEXT, memory);
    } else if (content == Clipboard::PictureOnly) {
        HDC screen = GetDC(nullptr);
        SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8));
        ReleaseDC(nullptr, screen);
    }
}

TEST(TrayMenu, SleepModeIsCheckedAndClearingIsGreyedWithoutClipboardText) {
    ui::UniqueMenu menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    ASSERT_TRUE(menu);
    HMENU popup = GetSubMenu(menu.get(), 0);
    struct Case {
        bool sleepMode;
        bool viewerOpen;
        Clipboard clipboard;
        bool greyed;
    } cases[] = {
        {false, false, Clipboard::Text, false},
        {true, false, Clipboard::Text, false},
        {false, false, Clipboard::Empty, true},
        {true, false, Clipboard::PictureOnly, true},
        {false, true, Clipboard::Text, true},  // the viewer owns the clipboard while open
    };
    for (const Case& c : cases) {
        FillClipboard(c.clipboard);
        PrepareTrayMenu(popup, c.sleepMode, !c.viewerOpen && ClipboardHasText());
        const UINT sleep = GetMenuState(popup, ID_SLEEP_MODE, MF_BYCOMMAND);
        EXPECT_EQ((sleep & MF_CHECKED) != 0, c.sleepMode);
        const UINT clear = GetMenuState(popup, TRAY_MENU_CLEAR_CLIPBOARD_POSITION, MF_BYPOSITION);
        EXPECT_EQ((clear & MF_GRAYED) != 0, c.greyed) << int(c.clipboard) << c.viewerOpen;
        EXPECT_EQ(GetMenuItemID(popup, TRAY_MENU_CLEAR_CLIPBOARD_POSITION), UINT(ID_CLEAR_CLIPBOARD));
        // "Просмотр буфера обмена" and every other item stay enabled.
        for (int position = 0; position < GetMenuItemCount(popup); ++position) {
            const UINT state = GetMenuState(popup, position, MF_BYPOSITION);
            if (position == TRAY_MENU_CLEAR_CLIPBOARD_POSITION || (state & MF_SEPARATOR)) continue;
            EXPECT_EQ(state & MF_GRAYED, 0u) << position;
        }
    }
    FillClipboard(Clipboard::Empty);
}

}  // namespace
}  // namespace velkaro
