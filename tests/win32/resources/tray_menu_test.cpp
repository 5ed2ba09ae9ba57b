// Menu 132: its single popup is the tray menu, eleven positions with separators at 3 and 7.
// The texts are compared as the program reads them: CP1251 through GetMenuStringA.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <set>

#include "cp1251.h"
#include "handles.h"
#include "module_resources.h"
#include "resource_ids.h"

namespace velkaro {
namespace {

struct TrayItem {
    UINT id;           // 0: a separator
    const char* text;  // UTF-8
};

const TrayItem kTrayMenu[] = {
    {ID_ERASE_PASSWORD, "Стереть пароль"},
    {ID_CLEAR_CLIPBOARD, "Очистить буфер обмена"},
    {ID_VIEW_CLIPBOARD, "Просмотр буфера обмена"},
    {0, nullptr},
    {ID_SETTINGS, "Настройка"},
    {ID_HELP, "Помощь"},
    {ID_ABOUT, "О программе"},
    {0, nullptr},
    {ID_CLOSE_MENU, "Закрыть меню"},
    {ID_SLEEP_MODE, "Спящий режим"},
    {ID_EXIT, "Выход"},
};

class TrayMenu : public ::testing::Test {
protected:
    void SetUp() override {
        menu_.reset(LoadMenuA(TestModule(), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
        ASSERT_TRUE(menu_) << "no menu " << IDR_TRAY_MENU;
        ASSERT_EQ(GetMenuItemCount(menu_.get()), 1) << "the menu holds exactly one popup";
        popup_ = GetSubMenu(menu_.get(), 0);
        ASSERT_NE(popup_, nullptr);
    }
    ui::UniqueMenu menu_;
    HMENU popup_ = nullptr;  // destroyed with menu_
};

TEST_F(TrayMenu, HoldsElevenPositionsWithTheirIdsAndTexts) {
    ASSERT_EQ(GetACP(), 1251u) << "the texts are compared in CP1251 (Wine: LC_ALL=ru_RU.UTF-8)";
    ASSERT_EQ(GetMenuItemCount(popup_), int(std::size(kTrayMenu)));
    for (UINT position = 0; position < std::size(kTrayMenu); ++position) {
        const TrayItem& want = kTrayMenu[position];
        SCOPED_TRACE("position " + std::to_string(position));
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(popup_, position, TRUE, &info));
        EXPECT_EQ(info.hSubMenu, nullptr);
        if (want.id == 0) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "a separator";
            continue;
        }
        EXPECT_FALSE(info.fType & MFT_SEPARATOR);
        EXPECT_EQ(info.wID, want.id);
        char text[64] = {};
        const int n = GetMenuStringA(popup_, position, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(std::string(text, size_t(n > 0 ? n : 0)), Cp1251::FromUtf8(want.text)) << want.text;
        // The program greys and checks items itself each time it opens the menu; the
        // resource starts them all enabled and unchecked.
        EXPECT_FALSE(info.fState & (MFS_GRAYED | MFS_DISABLED | MFS_CHECKED)) << want.text;
    }
}

TEST_F(TrayMenu, CommandIdsAreDistinctAndClearClipboardIsWhereTheProgramGreysIt) {
    std::set<UINT> ids;
    for (const TrayItem& item : kTrayMenu) {
        if (item.id) {
            EXPECT_TRUE(ids.insert(item.id).second) << "id " << item.id << " twice";
        }
    }
    EXPECT_EQ(GetMenuItemID(popup_, TRAY_MENU_CLEAR_CLIPBOARD_POSITION), UINT(ID_CLEAR_CLIPBOARD));
    // CheckMenuItem by command, as the program marks sleep mode, finds the item.
    EXPECT_EQ(CheckMenuItem(popup_, ID_SLEEP_MODE, MF_BYCOMMAND | MF_CHECKED), DWORD(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(popup_, ID_SLEEP_MODE, MF_BYCOMMAND) & MF_CHECKED, UINT(MF_CHECKED));
}

}  // namespace
}  // namespace velkaro
