// edit_target.exe: a stand-in for a mail program's editor, for the end-to-end tests.
//
//   edit_target.exe [--text FILE] [--report FILE] [--state FILE] [--size WxH] [--pos X,Y]
//                   [--class Edit|RichEdit20A] [--single-line] [--tray] [--dialog]
//
// --text     the initial text, raw bytes in the ANSI code page (CP1251 under the tests' locale)
// --report   receives the control's whole text (raw ANSI bytes) at start and on every change
// --state    receives the JSON state (see target_window.h) every 50 ms and on every change
// --size     the control's client area in pixels (default 560x360)
// --pos      the window's top-left corner on the screen (default 40,40)
// --class    the control's window class (default Edit; RichEdit20A loads riched20.dll)
// --single-line  an edit without ES_MULTILINE and scroll bar
// --tray     adds a notification-area icon whose right click opens a popup menu
// --dialog   shows a password dialog "Velkaro test dialog" (a "#32770" window) at start
// Exit code 2 for a command line it does not understand, 1 when the window cannot be made.

#include <windows.h>

#include <cwchar>
#include <string>

#include "target_window.h"

namespace velkaro::e2e {
namespace {

bool ParsePair(const wchar_t* text, wchar_t separator, int& first, int& second) {
    wchar_t* end = nullptr;
    long a = std::wcstol(text, &end, 10);
    if (end == text || *end != separator) return false;
    const wchar_t* rest = end + 1;
    long b = std::wcstol(rest, &end, 10);
    if (end == rest || *end != L'\0') return false;
    first = static_cast<int>(a);
    second = static_cast<int>(b);
    return true;
}

bool ParseOptions(TargetOptions& options) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        std::wstring arg = args[i];
        bool hasValue = i + 1 < count;
        if (arg == L"--text" && hasValue) {
            options.textFile = args[++i];
        } else if (arg == L"--report" && hasValue) {
            options.reportFile = args[++i];
        } else if (arg == L"--state" && hasValue) {
            options.stateFile = args[++i];
        } else if (arg == L"--size" && hasValue) {
            ok = ParsePair(args[++i], L'x', options.clientWidth, options.clientHeight) && options.clientWidth > 0 &&
                 options.clientHeight > 0;
        } else if (arg == L"--pos" && hasValue) {
            ok = ParsePair(args[++i], L',', options.x, options.y);
        } else if (arg == L"--class" && hasValue) {
            std::wstring cls = args[++i];
            if (CompareStringOrdinal(cls.c_str(), -1, L"RichEdit20A", -1, TRUE) == CSTR_EQUAL) {
                options.richEdit = true;
            } else {
                ok = CompareStringOrdinal(cls.c_str(), -1, L"Edit", -1, TRUE) == CSTR_EQUAL;
            }
        } else if (arg == L"--single-line") {
            options.singleLine = true;
        } else if (arg == L"--tray") {
            options.trayIcon = true;
        } else if (arg == L"--dialog") {
            options.dialog = true;
        } else {
            ok = false;
        }
    }
    LocalFree(args);
    return ok;
}

}  // namespace
}  // namespace velkaro::e2e

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace velkaro::e2e;
    TargetOptions options;
    if (!ParseOptions(options)) return 2;
    TargetWindow target(options);
    if (!target.Create(instance)) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (target.dialog() && IsDialogMessageW(target.dialog(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
