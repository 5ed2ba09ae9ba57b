#pragma once
// MessageBoxWatcher: a thread that waits for the next message box of this process with a
// given caption, notes what it shows (text, owner, icon, buttons) and answers it with a
// button, so that a test can call code that shows a real MessageBoxA and check the box.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace velkaro {

class MessageBoxWatcher {
public:
    struct Seen {
        bool found = false;
        std::string text;  // ANSI, as the box shows it
        HWND owner = nullptr;
        HICON icon = nullptr;
        bool hasOk = false, hasCancel = false;
    };

    // Starts watching for a box captioned `caption` (ANSI) and answers it with `button`.
    MessageBoxWatcher(std::string caption, int button)
        : caption_(std::move(caption)), button_(button), thread_([this] { Watch(); }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // What was seen; call after the box has returned.
    Seen Result() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    struct Search {
        const std::string* caption;
        HWND found;
    };
    static BOOL CALLBACK Visit(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<Search*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[32] = {};
        char caption[256] = {};
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, caption, sizeof caption);
        if (process == GetCurrentProcessId() && std::string(className) == "#32770" &&
            *search->caption == caption) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    void Watch() {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!stop_ && GetTickCount64() < deadline) {
            Search search = {&caption_, nullptr};
            EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr && IsWindowVisible(search.found)) {
                Note(search.found);
                PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(search.found, button_)));
                return;
            }
            Sleep(10);  // polls for a window of another thread; nothing to wait on
        }
    }

    void Note(HWND box) {
        seen_.found = true;
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text control
        seen_.text = text;
        seen_.owner = GetWindow(box, GW_OWNER);
        // The icon control: id 20 on Windows, 1088 in Wine.
        for (int id : {20, 1088}) {
            if (HWND control = GetDlgItem(box, id)) {
                seen_.icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
            }
        }
        seen_.hasOk = GetDlgItem(box, IDOK) != nullptr;
        seen_.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
    }

    std::string caption_;
    int button_;
    std::atomic<bool> stop_{false};
    Seen seen_;
    std::thread thread_;
};

}  // namespace velkaro
