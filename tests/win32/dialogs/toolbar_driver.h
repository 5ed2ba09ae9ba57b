#pragma once
// How the tests reach a dialog's toolbar: find it, click a button with the mouse as a user
// does (a disabled button sends nothing), read a button's state and ask for its tooltip the
// way the tooltip control asks.

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace velkaro {

inline HWND FindToolbar(HWND dialog) {
    return FindWindowExA(dialog, nullptr, TOOLBARCLASSNAMEA, nullptr);
}

// Presses and releases the left button in the middle of `command`'s button. False when the
// toolbar has no such button.
inline bool ClickToolbarButton(HWND dialog, UINT command) {
    HWND bar = FindToolbar(dialog);
    const LRESULT index = SendMessageA(bar, TB_COMMANDTOINDEX, command, 0);
    RECT r = {};
    if (index < 0 || !SendMessageA(bar, TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r))) {
        return false;
    }
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(bar, WM_MOUSEMOVE, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar, WM_LBUTTONUP, 0, at);
    return true;
}

inline bool ToolbarButtonEnabled(HWND dialog, UINT command) {
    return SendMessageA(FindToolbar(dialog), TB_ISBUTTONENABLED, command, 0) != 0;
}

// The text the toolbar's tooltip shows for `command`: the request goes to the toolbar from
// its tooltip control in UTF-16, as the control sends it, and the toolbar asks its dialog.
inline std::wstring ToolbarTip(HWND dialog, UINT command) {
    HWND bar = FindToolbar(dialog);
    HWND tip = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = tip;
    info.hdr.idFrom = command;
    info.hdr.code = TTN_GETDISPINFOW;
    info.lpszText = info.szText;  // the tooltip offers its own buffer
    SendMessageW(bar, WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
    if (info.lpszText == nullptr || IS_INTRESOURCE(info.lpszText)) return std::wstring();
    return info.lpszText;
}

}  // namespace velkaro
