#pragma once
// SheetScript: drives a modal window from inside the message loop that runs it, as a user
// would: one step per tick of a 10 ms thread timer, from whatever loop is running (the
// sheet's, or a dialog's nested inside it). A step answers false to be tried again at the
// next tick, which is how a script waits for a window to appear; a step that opens a nested
// modal run (a click on a button that opens a dialog) lets the following steps run from that
// run's loop. A script that has not finished after kGiveUpMs ends every run with WM_QUIT, so
// that a missing window fails the test instead of stalling it.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velkaro {

class SheetScript {
public:
    using Step = std::function<bool()>;
    static constexpr ULONGLONG kGiveUpMs = 30000;

    explicit SheetScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        started_ = GetTickCount64();
        timer_ = SetTimer(nullptr, 0, 10, &SheetScript::Tick);
    }
    ~SheetScript() {
        if (timer_) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    SheetScript(const SheetScript&) = delete;
    SheetScript& operator=(const SheetScript&) = delete;

    // Every step has run and returned.
    bool Finished() const { return next_ >= steps_.size() && running_ == 0; }
    bool GaveUp() const { return gaveUp_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        SheetScript* self = current_;
        if (!self || self->gaveUp_) return;
        if (self->Finished()) {
            KillTimer(nullptr, self->timer_);
            self->timer_ = 0;
            return;
        }
        if (GetTickCount64() - self->started_ > kGiveUpMs) {
            self->gaveUp_ = true;
            ADD_FAILURE() << "script step " << self->next_ << " never came to pass";
            PostQuitMessage(1);
            return;
        }
        // The last step opened a run that nothing closes: wait for the give-up above.
        if (self->next_ >= self->steps_.size()) return;
        // The index moves on before the step runs: a step that opens a nested modal run hands
        // the following steps to that run's loop.
        const size_t index = self->next_++;
        ++self->running_;
        const bool done = self->steps_[index]();
        --self->running_;
        if (!done) self->next_ = index;
    }

    static inline SheetScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int running_ = 0;  // steps that have started and not yet returned
    UINT_PTR timer_ = 0;
    ULONGLONG started_ = 0;
    bool gaveUp_ = false;
};

// A step that always succeeds.
inline SheetScript::Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

inline void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The sheet's page at `index` becomes the current one (the page's kill-active and the new
// page's initialisation run as with a click on the tab).
inline void SelectPage(HWND sheet, int index) { SendMessageA(sheet, PSM_SETCURSEL, WPARAM(index), 0); }

inline HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline void PressOk(HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }
inline void PressCancel(HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

// A window's rectangle in the client coordinates of `parent`.
inline RECT RectIn(HWND parent, HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The visible top-level window of this thread with the caption `caption` (ANSI), or null.
inline HWND FindThreadWindow(const std::string& caption) {
    struct Search {
        const std::string* caption;
        HWND found;
        // A plain function: window enumeration calls back with the system's calling convention.
        static BOOL CALLBACK Visit(HWND window, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (IsWindowVisible(window) && WindowText(window) == *s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        }
    } search = {&caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace velkaro
