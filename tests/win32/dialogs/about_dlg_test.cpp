// The about box: the version text, the program's icon, the white background, its place in
// the middle of the screen, F1 opening nothing, OK closing it, and a second showing like the
// first.

#include "about_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "cp1251.h"
#include "resource_ids.h"
#include "while_modal.h"

namespace velkaro {
namespace {

// The callback is stdcall on i686, to which a lambda does not convert.
BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Seen {
    std::string version;
    HICON icon = nullptr;
    COLORREF background = CLR_INVALID;
    COLORREF textBackground = CLR_INVALID;
    int windowsBeforeHelp = -1, windowsAfterHelp = -2;
    POINT centre = {-1, -1};
};

Seen ShowAndLook(CAboutDlg& about) {
    Seen seen;
    WhileModal script(about, [&](HWND dialog) {
        char version[64] = {};
        GetDlgItemTextA(dialog, IDC_ABOUT_VERSION, version, sizeof version);
        seen.version = version;
        seen.icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        RECT placed = {};
        GetWindowRect(dialog, &placed);
        seen.centre = {(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2};

        // The brush and the text background a static gets.
        HDC dc = GetDC(dialog);
        SetBkColor(dc, RGB(1, 2, 3));
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
            dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
            reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ABOUT_VERSION))));
        LOGBRUSH described = {};
        if (brush && GetObjectA(brush, sizeof described, &described)) seen.background = described.lbColor;
        seen.textBackground = GetBkColor(dc);
        ReleaseDC(dialog, dc);

        seen.windowsBeforeHelp = CountThreadWindows();
        HELPINFO help = {sizeof help, HELPINFO_WINDOW, 0, dialog, 0, {0, 0}};
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        seen.windowsAfterHelp = CountThreadWindows();

        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(about.RunModal(nullptr), IDOK);
    EXPECT_FALSE(about.hwnd());
    return seen;
}

TEST(AboutBox, ShowsTheVersionAndTheIconOnWhite) {
    CAboutDlg about(GetModuleHandleA(nullptr));
    EXPECT_EQ(about.version(), Cp1251::FromUtf8(" Версия 3.1"));
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        const Seen seen = ShowAndLook(about);
        EXPECT_EQ(seen.version, Cp1251::FromUtf8(" Версия 3.1"));
        EXPECT_TRUE(seen.icon);
        EXPECT_EQ(seen.background, RGB(255, 255, 255));
        EXPECT_EQ(seen.textBackground, RGB(255, 255, 255));
        EXPECT_EQ(seen.windowsAfterHelp, seen.windowsBeforeHelp) << "F1 opens nothing";
        EXPECT_LE(std::abs(seen.centre.x - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
        EXPECT_LE(std::abs(seen.centre.y - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    }
}

}  // namespace
}  // namespace velkaro
