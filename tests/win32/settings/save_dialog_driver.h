#pragma once
// SaveDialogDriver: a thread that waits for the next save dialog of this process with a given
// title, notes what it shows (owner, proposed name, help button) and answers it as a user
// would: types a file name and presses Save (and "Yes" when asked whether to replace a file),
// presses Cancel, or presses Help first. So a test can call code that shows the real
// GetSaveFileNameA on its own thread and check what happened.

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <string>
#include <thread>

#include "wait_until.h"

namespace velkaro {

class SaveDialogDriver {
public:
    enum class Action { Save, Cancel, HelpThenCancel };

    struct Seen {
        bool found = false;
        HWND owner = nullptr;
        std::string proposedName;   // ANSI, as the file name box shows it
        bool helpButton = false;    // a visible Help button
        bool replaceAsked = false;  // the dialog asked before replacing an existing file
        bool answeredAfterHelp = false;  // the dialog still answered a message after Help
    };

    // Starts watching for a dialog titled `title` (ANSI); `fileName` is typed for Save.
    SaveDialogDriver(std::string title, Action action, std::string fileName = {})
        : title_(std::move(title)), action_(action), fileName_(std::move(fileName)),
          thread_([this] { Drive(); }) {}
    ~SaveDialogDriver() { Result(); }
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;

    // What was seen; call after the dialog has returned. This thread's windows keep answering
    // while the driver finishes, since it may still be asking them for their captions.
    Seen Result() {
        stop_ = true;
        WaitUntil([this] { return done_.load(); });
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    static constexpr ULONGLONG kTimeoutMs = 30000;

    struct Search {
        const std::string* title;  // empty: any caption
        HWND owner;                // null: any owner
        HWND found;
    };

    // A visible, enabled top-level dialog of this process with the caption `title` and, when
    // `owner` is given, owned by it.
    static HWND FindDialog(const std::string& title, HWND owner) {
        Search search = {&title, owner, nullptr};
        EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static BOOL CALLBACK Visit(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<Search*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return TRUE;
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770") return TRUE;
        if ((search->title->empty() || *search->title == CaptionOf(window)) &&
            (!search->owner || GetWindow(window, GW_OWNER) == search->owner) &&
            IsWindowVisible(window) && IsWindowEnabled(window)) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    // The caption as the window holds it, in the ANSI code page. Read without a message: the
    // window's thread may be busy (the test's thread, when the dialog has just returned).
    static std::string CaptionOf(HWND window) {
        wchar_t wide[256] = {};
        InternalGetWindowText(window, wide, 256);
        char ansi[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
        return ansi;
    }

    // Polls for a window of another thread; there is nothing to wait on.
    template <typename Condition>
    bool Await(Condition condition) {
        const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
        while (!stop_ && GetTickCount64() < deadline) {
            if (condition()) return true;
            Sleep(10);
        }
        return false;
    }

    void Press(HWND dialog, int button) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    void Drive() {
        DriveDialog();
        done_ = true;
    }

    void DriveDialog() {
        HWND dialog = nullptr;
        if (!Await([&] { return (dialog = FindDialog(title_, nullptr)) != nullptr; })) return;
        seen_.found = true;
        seen_.owner = GetWindow(dialog, GW_OWNER);
        char name[MAX_PATH] = {};
        SendMessageA(dialog, CDM_GETSPEC, sizeof name, reinterpret_cast<LPARAM>(name));
        seen_.proposedName = name;
        HWND help = GetDlgItem(dialog, pshHelp);
        seen_.helpButton = help != nullptr && IsWindowVisible(help);

        switch (action_) {
        case Action::Cancel:
            Press(dialog, IDCANCEL);
            return;
        case Action::HelpThenCancel:
            // Sent, not posted: the dialog has handled the click when the call returns.
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(pshHelp, BN_CLICKED),
                         reinterpret_cast<LPARAM>(help));
            {
                char spec[MAX_PATH] = {};
                seen_.answeredAfterHelp =
                    SendMessageA(dialog, CDM_GETSPEC, sizeof spec, reinterpret_cast<LPARAM>(spec)) > 0;
            }
            Press(dialog, IDCANCEL);
            return;
        case Action::Save:
            // The file name box is cmb13 in the explorer-style dialog of today (Wine's too),
            // edt1 in older ones; a control that is not there takes nothing.
            for (int box : {cmb13, edt1}) {
                SendMessageA(dialog, CDM_SETCONTROLTEXT, box,
                             reinterpret_cast<LPARAM>(fileName_.c_str()));
            }
            Press(dialog, IDOK);
            // Either the dialog closes, or it first asks whether to replace the file.
            HWND question = nullptr;
            Await([&] {
                question = FindDialog(std::string(), dialog);
                return question != nullptr || !IsWindow(dialog);
            });
            if (question) {
                seen_.replaceAsked = true;
                Press(question, IDYES);
            }
            return;
        }
    }

    std::string title_;
    Action action_;
    std::string fileName_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    Seen seen_;
    std::thread thread_;
};

}  // namespace velkaro
