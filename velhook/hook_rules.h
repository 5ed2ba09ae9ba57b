#pragma once
// The gesture rules of the input hooks as plain functions over plain data. The hook procedures
// of velhook.dll read the event and the target window, ask these functions what to do, and
// then post and return; nothing here touches the platform, so every rule is tested natively.
//
// The two procedures follow different rules on purpose:
// - mouse: a window below 30 pixels high or 50 wide is no target, whatever its class (NoTarget);
//   a large edit-class window is a target; a large window of another class gets nothing posted.
// - keyboard: the class is looked at first; an edit-class window qualifies when it is more than
//   30 high or more than 100 wide; every other window is no target (NoTarget).
// A browser control ("internet explorer_server") is a target for both, whatever its size.

#include <cstddef>
#include <cstdint>

#include "request_kind.h"

namespace velkaro {

// Hook codes, messages and keys the rules look at (the values of the Win32 headers).
constexpr int kHookCodeNoRemove = 3;  // HC_NOREMOVE: a peek that leaves the event queued
constexpr uintptr_t kMessageLeftDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr uintptr_t kMessageRightButtonDown = 0x0204;  // WM_RBUTTONDOWN
constexpr uintptr_t kMessageRightButtonUp = 0x0205;    // WM_RBUTTONUP
constexpr uintptr_t kVirtualKeyF10 = 0x79;             // VK_F10

// Keystroke data bits of a keyboard hook event.
constexpr uint32_t kKeyDataAltDown = 1u << 29;   // context code: ALT is held
constexpr uint32_t kKeyDataReleased = 1u << 31;  // transition state: the key is being released

// The class-name buffer: GetClassNameA stores at most 24 characters and the terminator.
constexpr std::size_t kClassNameBufferSize = 25;

// The lower-cased class names the rules compare with.
constexpr const char kBrowserClassName[] = "internet explorer_server";

// What a hook procedure does with an event. The kind fixes both the request posted and the
// answer given to the system:
// - PassOn: nothing is posted, the call is passed on to the next hook;
// - NoTarget: (0, NoTarget) is posted, the call is passed on (the window still gets the event);
// - BrowserTarget, EditTarget: (the window, that kind) is posted and the event is swallowed.
enum class HookVerdict {
    PassOn,
    NoTarget,
    BrowserTarget,
    EditTarget,
};

// Whether the verdict posts a WM_SHELL_REQUEST at all.
constexpr bool PostsRequest(HookVerdict verdict) { return verdict != HookVerdict::PassOn; }

// The request's lParam; meaningful only when PostsRequest.
constexpr RequestKind RequestOf(HookVerdict verdict) {
    switch (verdict) {
        case HookVerdict::BrowserTarget: return RequestKind::BrowserTarget;
        case HookVerdict::EditTarget: return RequestKind::EditTarget;
        default: return RequestKind::NoTarget;
    }
}

// Whether the request names the window (wParam) rather than 0: only a found target does.
constexpr bool RequestNamesWindow(HookVerdict verdict) {
    return verdict == HookVerdict::BrowserTarget || verdict == HookVerdict::EditTarget;
}

// Whether the procedure returns 1 without calling the next hook, so the window never sees the
// event.
constexpr bool SwallowsEvent(HookVerdict verdict) { return RequestNamesWindow(verdict); }

// The size of a window's client rectangle, in pixels.
struct ClientSize {
    int32_t width;
    int32_t height;
};

// The cheap first test of the mouse procedure, asked for every mouse message of the desktop:
// true when the event is a gesture (a left double click, or a right button press while ALT is
// held) that the procedure must act on. isAltDown is a callable returning bool; it is asked only
// for a right button press that passed the other tests, because the key state is the one costly
// question.
template <typename AltQuery>
bool IsMouseGesture(int code, uintptr_t message, int32_t permission, AltQuery&& isAltDown) {
    if (code < 0 || code == kHookCodeNoRemove || permission == 0) return false;
    if (message == kMessageLeftDoubleClick) return true;
    return message == kMessageRightButtonDown && isAltDown();
}

// The cheap first test of the keyboard procedure: ALT+F10 acts when F10 is released while ALT is
// held. keyData is the keystroke data (LPARAM); only its low 32 bits carry the flags.
bool IsKeyboardGesture(int code, uintptr_t key, uintptr_t keyData, int32_t permission);

// Lower-cases a class name as the hook reads it into its buffer: at most
// kClassNameBufferSize - 1 characters of name (up to its terminator), terminated. Only ASCII
// letters change: the names compared with are ASCII, and leaving the other bytes alone keeps the
// trail bytes of a double-byte code page intact. name may be buffer itself.
void LowerClassName(const char* name, char (&buffer)[kClassNameBufferSize]);

// Whether a lower-cased class name is an edit class: "edit" must begin exactly at the name's first
// "e". Only that first "e" is tried, so "edit" and "richedit20a" qualify but "texteditor" does not.
bool IsEditClass(const char* lowerClassName);

// The mouse procedure's decision for the window under the mouse, once a gesture matched.
HookVerdict DecideMouseTarget(const char* lowerClassName, ClientSize client);

// The keyboard procedure's decision for the focused window, once ALT+F10 matched.
HookVerdict DecideKeyboardTarget(const char* lowerClassName, ClientSize client);

}  // namespace velkaro
