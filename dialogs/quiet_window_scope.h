#pragma once
// QuietWindowScope: a dialog disabled for the scope of a message box or a system dialog that
// is not its own, and active again afterwards. The program's message boxes belong to the
// main window, so without it the user could close the dialog (or start another command of it)
// while the box's message loop runs inside one of the dialog's own handlers.

#include <windows.h>

namespace velkaro {

class QuietWindowScope {
public:
    explicit QuietWindowScope(HWND window)
        : window_(window), wasEnabled_(IsWindowEnabled(window) != FALSE),
          wasForeground_(GetForegroundWindow() == window) {
        if (wasEnabled_) EnableWindow(window_, FALSE);
    }
    ~QuietWindowScope() {
        if (!IsWindow(window_)) return;
        if (wasEnabled_) EnableWindow(window_, TRUE);
        // The box's owner is the hidden main window: activation would not come back here.
        if (wasForeground_) SetForegroundWindow(window_);
    }
    QuietWindowScope(const QuietWindowScope&) = delete;
    QuietWindowScope& operator=(const QuietWindowScope&) = delete;

private:
    HWND window_;
    bool wasEnabled_;
    bool wasForeground_;
};

}  // namespace velkaro
