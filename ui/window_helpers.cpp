#include "window_helpers.h"

namespace velkaro {

void PlaceWindow(HWND window, const std::string& caption) {
    SetWindowTextA(window, caption.c_str());
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    MoveWindow(window, x, y, width, height, TRUE);
}

bool ShowHelp(HWND owner, const char* helpPath) {
    // HtmlHelpA lives in hhctrl.ocx; binding it at run time spares the program an import
    // library MinGW does not ship, and a missing control costs nothing but the help.
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
    // It stays loaded to the end of the process: its help windows run on this thread.
    static HMODULE control = LoadLibraryA("hhctrl.ocx");
    if (!control) return false;
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpA")));
    return htmlHelp && htmlHelp(owner, helpPath, kDisplayTopic, 0) != nullptr;
}

}  // namespace velkaro
