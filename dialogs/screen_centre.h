#pragma once
// CentreOnScreen: the place of a dialog whose template gives none (a window without an owner
// would otherwise open in the corner of the screen). Unlike PlaceWindow it keeps the caption.

#include <windows.h>

namespace velkaro {

inline void CentreOnScreen(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    MoveWindow(window, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
               GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, width, height, TRUE);
}

}  // namespace velkaro
