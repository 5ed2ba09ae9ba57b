#pragma once
// What the velhook tests under Wine share: the window that receives the hooks' requests, windows
// of a chosen class and size, waiting for a condition while messages are dispatched, real input
// and the helper processes beside the test program.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "handles.h"
#include "resource_ids.h"

namespace velkaro::test {

// velhook_target answers this message, sent to its top-level window, with the number of times its
// edit control has received the window message in wParam.
constexpr UINT kTargetCountQuery = WM_APP + 1;

// One WM_SHELL_REQUEST as it arrived.
struct Request {
    WPARAM window;
    LPARAM kind;
};

// Registers a window class of that name with the default window procedure (for the class names
// that exist only in other programs: "Internet Explorer_Server", "RichEdit20A", "TextEditor").
inline void RegisterPlainClass(const char* name) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);  // fails harmlessly when it is registered already
}

// A borderless window whose client area is exactly width x height. Shown only where real input
// needs it: under Wine without a window manager, destroying a shown window waits 2 s for it to be
// withdrawn, and a hidden window takes the focus as well.
inline ui::UniqueWindow MakeWindow(const char* className, int width, int height, bool visible,
                                   int x = 0, int y = 0, const char* text = "") {
    const DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0) |
                        (std::string(className) == "Edit" ? ES_MULTILINE : 0);
    return ui::UniqueWindow(CreateWindowExA(0, className, text, style, x, y, width, height, nullptr,
                                            nullptr, GetModuleHandleA(nullptr), nullptr));
}

// The receiver of the requests: a message-only window, never shown.
inline ui::UniqueWindow MakeNotifyWindow() {
    return ui::UniqueWindow(CreateWindowExA(0, "Static", "velhook notify", 0, 0, 0, 0, 0,
                                            HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                            nullptr));
}

// Dispatches the thread's messages. WM_SHELL_REQUEST for notify is collected, not dispatched.
inline void Pump(HWND notify, std::vector<Request>& requests) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.hwnd == notify && message.message == WM_SHELL_REQUEST) {
            requests.push_back({message.wParam, message.lParam});
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The requests posted to notify so far (posted messages are queued at once).
inline std::vector<Request> TakeRequests(HWND notify) {
    std::vector<Request> requests;
    Pump(notify, requests);
    return requests;
}

// Dispatches messages until done() holds or timeoutMs has passed; the result of the last done().
// The time is a bound for a failing run only: a passing run ends as soon as the condition holds.
template <typename Condition>
bool PumpUntil(HWND notify, std::vector<Request>& requests, DWORD timeoutMs, Condition&& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump(notify, requests);
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

inline bool KeyIsDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

inline void SendKey(WORD key, bool release) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Waits until GetAsyncKeyState reports the key down (or up); false when it does not within 5 s.
inline bool WaitForKeyState(int key, bool down) {
    const DWORD start = GetTickCount();
    while (KeyIsDown(key) != down) {
        if (GetTickCount() - start >= 5000) return false;
        Sleep(5);
    }
    return true;
}

// ALT held down for the scope, through real input, so GetAsyncKeyState sees it.
class HeldAlt {
public:
    HeldAlt() {
        SendKey(VK_MENU, false);
        held_ = WaitForKeyState(VK_MENU, true);
    }
    ~HeldAlt() {
        SendKey(VK_MENU, true);
        WaitForKeyState(VK_MENU, false);
    }
    HeldAlt(const HeldAlt&) = delete;
    HeldAlt& operator=(const HeldAlt&) = delete;
    bool held() const { return held_; }

private:
    bool held_ = false;
};

// The folder of the running test program, with a trailing backslash.
inline std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// A helper program beside the test program, started with arguments; it ends with the scope.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::string& arguments) {
        std::string commandLine = "\"" + ProgramFolder() + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
            process_.reset(info.hProcess);
            ui::UniqueKernelHandle thread(info.hThread);
        }
    }
    ~ChildProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 255);
            WaitForSingleObject(process_.get(), 10000);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    HANDLE handle() const { return process_.get(); }

    // The exit code once the program has ended within timeoutMs, else -1.
    int Wait(DWORD timeoutMs) {
        if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return static_cast<int>(code);
    }

private:
    ui::UniqueKernelHandle process_;
};

}  // namespace velkaro::test
