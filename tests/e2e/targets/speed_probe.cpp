// speed_probe.exe: measures, inside Wine, how quickly the tray program answers a gesture. It
// shows an editor of its own holding a letter, double-clicks it through SendInput, and times
//   1. from the double click to the password window shown with the keyboard focus, and
//   2. from the Enter after the password to the sealed block in its editor,
// with the performance counter, polling every millisecond. A benchmark, not a test: the figures
// go to a JSON report and nothing is judged here.
//
//   speed_probe.exe --letter FILE --report FILE --password TEXT [--rounds N]
//
// The letter is CP1251 bytes. Between rounds the block is put back to the letter by the probe
// itself (WM_SETTEXT), and the program runs with "keep the password" off so that every round
// asks for the password.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "json_writer.h"
#include "report_file.h"

namespace {

using velkaro::e2e::JsonWriter;
using velkaro::e2e::ReportFile;

constexpr char kCaption[] = "Velkaro Stego \xC2\xE5\xF0\xF1\xE8\xFF 3.1";  // "... Версия 3.1" in CP1251
constexpr DWORD kWaitLimitMs = 20000;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Runs the thread's messages (the editor is this thread's) while waiting for `ready`, polling
// every millisecond; false after the limit.
template <typename Ready>
bool WaitFor(Ready ready) {
    const double limit = Now() + kWaitLimitMs;
    while (Now() < limit) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ready()) return true;
        Sleep(1);
    }
    return false;
}

void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void DoubleClickAt(POINT p) {
    SetCursorPos(p.x, p.y);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
}

void TypeKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const bool shift = (scan >> 8) & 1;
        if (shift) {
            INPUT down = {};
            down.type = INPUT_KEYBOARD;
            down.ki.wVk = VK_SHIFT;
            SendInput(1, &down, sizeof down);
        }
        TypeKey(WORD(scan & 0xFF));
        if (shift) {
            INPUT up = {};
            up.type = INPUT_KEYBOARD;
            up.ki.wVk = VK_SHIFT;
            up.ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(1, &up, sizeof up);
        }
    }
}

// The password window: shown, in the foreground, with the focus in its password field.
bool PasswordWindowReady() {
    HWND window = GetForegroundWindow();
    if (!window || !IsWindowVisible(window)) return false;
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (std::string(title) != kCaption) return false;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           info.hwndFocus == GetDlgItem(window, 1002);
}

bool PasswordWindowHidden() {
    HWND window = FindWindowA("#32770", kCaption);
    return !window || !IsWindowVisible(window) || !GetDlgItem(window, 1002);
}

std::string TextOf(HWND edit) {
    std::string text(size_t(GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(edit, text.data(), int(text.size()))));
    return text;
}

std::string ReadFile(const wchar_t* path) {
    std::string bytes;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

std::string Narrow(const wchar_t* text) {
    char buffer[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring letterPath, reportPath;
    std::string password;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--letter") letterPath = argv[i + 1];
        if (option == L"--report") reportPath = argv[i + 1];
        if (option == L"--password") password = Narrow(argv[i + 1]);
        if (option == L"--rounds") rounds = _wtoi(argv[i + 1]);
    }
    const std::string letter = ReadFile(letterPath.c_str());
    ReportFile report(reportPath);
    if (letter.empty() || password.empty() || !report.enabled()) return 2;

    HWND main = CreateWindowExA(0, "STATIC", "Velkaro speed probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 640, 420, nullptr, nullptr, instance, nullptr);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                                10, 10, 600, 360, main, nullptr, instance, nullptr);
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);

    JsonWriter json;
    json.BeginObject().Key("letter_bytes").UInt(letter.size()).Key("rounds").BeginArray();
    bool ok = true;
    std::string failedAt;
    for (int round = 0; round < rounds && ok; ++round) {
        SetWindowTextA(edit, letter.c_str());
        SetForegroundWindow(main);
        SetFocus(edit);
        if (!WaitFor([&] { return PasswordWindowHidden() && GetForegroundWindow() == main; })) {
            failedAt = "the probe's window in the foreground";
            ok = false;
            break;
        }
        RECT r;
        GetWindowRect(edit, &r);
        const POINT at = {r.left + 60, r.top + 20};

        const double clicked = Now();
        DoubleClickAt(at);
        ok = WaitFor(PasswordWindowReady);
        const double shown = Now();
        if (!ok) {
            failedAt = "the password window after the double click";
            break;
        }

        TypeText(password);
        // Every character has reached the field before Enter is timed.
        HWND window = GetForegroundWindow();
        WaitFor([&] { return GetWindowTextLengthA(GetDlgItem(window, 1002)) == int(password.size()); });
        const double entered = Now();
        TypeKey(VK_RETURN);
        ok = WaitFor([&] { return TextOf(edit).rfind("[/!dgt_encry]") != std::string::npos; });
        const double replaced = Now();
        json.BeginObject()
            .Key("gesture_to_window_us").Int(int64_t((shown - clicked) * 1000))
            .Key("enter_to_text_us").Int(int64_t((replaced - entered) * 1000))
            .Key("sealed").Bool(ok)
            .EndObject();
    }
    json.EndArray().Key("ok").Bool(ok).Key("failed_at").String(failedAt).EndObject();
    report.Write(json.text());
    DestroyWindow(main);
    return ok ? 0 : 1;
}
