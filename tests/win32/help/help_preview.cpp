// Opens the help window as the program's help command does, to look at it and to take
// screenshots; not a test. velkaro.chm must lie beside this program (the build copies it).
//
//   help_preview [SECONDS [TAB]]
//
// ends after SECONDS (default 60) or when the help window is closed; TAB 1 shows the index.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "path_routines.h"
#include "window_helpers.h"

namespace velkaro {
namespace {

BOOL CALLBACK MatchHelpWindow(HWND window, LPARAM result) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "HH Parent") != 0) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The help window HtmlHelpA created on this thread.
HWND FindHelpWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Selects a tab of the navigation pane as a click on it would.
void SelectTab(HWND help, int tab) {
    HWND tabs = FindWindowExA(help, nullptr, "HH Child", nullptr);
    tabs = tabs ? FindWindowExA(tabs, nullptr, "SysTabControl32", nullptr) : nullptr;
    if (!tabs) return;
    SendMessageA(tabs, TCM_SETCURSEL, WPARAM(tab), 0);
    NMHDR change = {tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGE)};
    SendMessageA(GetParent(tabs), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
}

int Run(DWORD seconds, int tab) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    char programPath[kPathCapacity] = {};
    ProgramDirOf(module, programPath);
    AppendBounded(programPath, "velkaro.exe");
    char helpPath[kPathCapacity] = {};
    HelpPathOf(programPath, helpPath);
    if (!ShowHelp(nullptr, helpPath)) {
        std::fprintf(stderr, "no help window for %s\n", helpPath);
        return 1;
    }
    HWND help = FindHelpWindow();
    if (tab > 0) SelectTab(help, tab);
    std::printf("help window open: %s\n", helpPath);
    std::fflush(stdout);

    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds) * 1000;
    while (IsWindow(help) && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (IsWindow(help)) DestroyWindow(help);
    return 0;
}

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int tab = argc > 2 ? std::atoi(argv[2]) : 0;
    return velkaro::Run(seconds > 0 ? DWORD(seconds) : 60, tab);
}
