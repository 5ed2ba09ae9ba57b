#pragma once
// The clipboard opened for the scope (OpenClipboard / CloseClipboard). Another program that
// holds it open makes ok() false; nothing is closed then.

#include <windows.h>

namespace velkaro::ui {

class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open_) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool ok() const { return open_; }

private:
    bool open_;
};

}  // namespace velkaro::ui
