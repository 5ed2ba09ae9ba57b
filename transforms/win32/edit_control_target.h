#pragma once
// EditControlTarget: the text of an Edit control, usually of another process, read with
// WM_GETTEXT and replaced with WM_SETTEXT as an ANSI program sees it (the system converts a
// Unicode control's text to the ANSI code page and carries it across the process boundary).
//
// Both messages are sent with SendMessageTimeoutA, so a target whose thread has stopped
// answering cannot freeze the tray program: after kTimeoutMs the call gives up, the target
// counts as not responding, and the caller can tell the user instead of failing silently.

#include <windows.h>

#include <cstdint>

#include "text_target.h"

namespace velkaro {

class EditControlTarget : public TextTarget {
public:
    // Flags of both messages. SMTO_ABORTIFHUNG: a thread the system already knows to be hung
    // is not waited for at all. No SMTO_BLOCK: while we wait, messages that other threads
    // send to the tray program's thread are still handled there, among them the mouse hook's
    // calls for processes of the other bitness (which the system routes through the
    // installing thread); blocking them would freeze the mouse in those programs, and a
    // target that sends something back to us would deadlock with us until the time-out.
    static constexpr UINT kSendFlags = SMTO_ABORTIFHUNG;
    // A live control answers WM_GETTEXT or WM_SETTEXT of the largest text within a few
    // milliseconds, even across processes; a user-interface thread that has not answered in
    // three seconds is busy with something long, and three seconds is about as long as a
    // user waits after a gesture before concluding that nothing happens.
    static constexpr UINT kTimeoutMs = 3000;

    explicit EditControlTarget(HWND window);

    // The text as WM_GETTEXT copies it: at most capacity - 1 characters, always terminated,
    // and the count is that of the characters really in the buffer. 0 (an empty text) when
    // the window does not answer or is gone; capacity 0 writes nothing.
    uint32_t GetText(char* buffer, uint32_t capacity) override;
    // WM_SETTEXT with the zero-terminated text.
    void SetText(const char* text) override;

    // False once a message was not answered in time or could not be delivered (a hung
    // thread, a destroyed window); it stays false for the life of this object.
    bool Responded() const { return responded_; }
    HWND window() const { return window_; }

private:
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);

    HWND window_;
    bool responded_ = true;
};

}  // namespace velkaro
