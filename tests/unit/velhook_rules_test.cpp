// The gesture rules of the hook procedures, as tables: which events are gestures, how class names
// are read and classified, and what each procedure does with the window it found.

#include "hook_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace velkaro {
namespace {

constexpr uintptr_t kMouseMove = 0x0200;         // WM_MOUSEMOVE
constexpr uintptr_t kLeftButtonDown = 0x0201;    // WM_LBUTTONDOWN
constexpr uintptr_t kLeftButtonUp = 0x0202;      // WM_LBUTTONUP
constexpr uintptr_t kRightButtonUp = 0x0205;     // WM_RBUTTONUP
constexpr uintptr_t kRightDoubleClick = 0x0206;  // WM_RBUTTONDBLCLK
constexpr uintptr_t kVirtualKeyF9 = 0x78;

// ---- The cheap first test of the mouse procedure

struct MouseEventCase {
    const char* what;
    int code;
    uintptr_t message;
    int32_t permission;
    bool altDown;
    bool gesture;
    bool altAsked;
};

const MouseEventCase kMouseEvents[] = {
    {"left double click", 0, kMessageLeftDoubleClick, 1, false, true, false},
    {"left double click with ALT", 0, kMessageLeftDoubleClick, 1, true, true, false},
    {"any code but HC_NOREMOVE acts", 1, kMessageLeftDoubleClick, 1, false, true, false},
    {"any non-zero permission acts", 0, kMessageLeftDoubleClick, -7, false, true, false},
    {"negative code", -1, kMessageLeftDoubleClick, 1, false, false, false},
    {"HC_NOREMOVE peek", kHookCodeNoRemove, kMessageLeftDoubleClick, 1, false, false, false},
    {"permission 0, double click", 0, kMessageLeftDoubleClick, 0, false, false, false},
    {"right press with ALT", 0, kMessageRightButtonDown, 1, true, true, true},
    {"right press without ALT", 0, kMessageRightButtonDown, 1, false, false, true},
    {"permission 0, right press with ALT", 0, kMessageRightButtonDown, 0, true, false, false},
    {"HC_NOREMOVE, right press with ALT", kHookCodeNoRemove, kMessageRightButtonDown, 1, true,
     false, false},
    {"negative code, right press with ALT", -1, kMessageRightButtonDown, 1, true, false, false},
    {"mouse move", 0, kMouseMove, 1, true, false, false},
    {"left press", 0, kLeftButtonDown, 1, true, false, false},
    {"left release", 0, kLeftButtonUp, 1, true, false, false},
    {"right release with ALT", 0, kRightButtonUp, 1, true, false, false},
    {"right double click with ALT", 0, kRightDoubleClick, 1, true, false, false},
    {"double click's value in higher bits", 0, 0x10000 | kMessageLeftDoubleClick, 1, true, false,
     false},
};

TEST(VelhookMouseGesture, ActsOnlyOnGesturesAndAsksAltOnlyForARightPress) {
    for (const MouseEventCase& c : kMouseEvents) {
        SCOPED_TRACE(c.what);
        int altQueries = 0;
        const bool gesture = IsMouseGesture(c.code, c.message, c.permission, [&] {
            ++altQueries;
            return c.altDown;
        });
        EXPECT_EQ(gesture, c.gesture);
        EXPECT_EQ(altQueries, c.altAsked ? 1 : 0);
    }
}

// ---- The cheap first test of the keyboard procedure

// Keystroke data of F10 as the system gives it: repeat count 1, scan code 0x44.
constexpr uintptr_t kF10Press = 0x00440001;
constexpr uintptr_t kAlt = kKeyDataAltDown;
constexpr uintptr_t kRelease = kKeyDataReleased | (1u << 30);  // a release also has bit 30 set

struct KeyEventCase {
    const char* what;
    int code;
    uintptr_t key;
    uintptr_t data;
    int32_t permission;
    bool gesture;
};

const KeyEventCase kKeyEvents[] = {
    {"ALT+F10 released", 0, kVirtualKeyF10, kF10Press | kAlt | kRelease, 1, true},
    {"only bits 29 and 31", 0, kVirtualKeyF10, kKeyDataAltDown | kKeyDataReleased, 1, true},
    {"ALT+F10 pressed", 0, kVirtualKeyF10, kF10Press | kAlt, 1, false},
    {"F10 released without ALT", 0, kVirtualKeyF10, kF10Press | kRelease, 1, false},
    {"F10 pressed alone", 0, kVirtualKeyF10, kF10Press, 1, false},
    {"ALT+F9 released", 0, kVirtualKeyF9, kF10Press | kAlt | kRelease, 1, false},
    {"key code with higher bits", 0, 0x100 | kVirtualKeyF10, kF10Press | kAlt | kRelease, 1, false},
    {"HC_NOREMOVE", kHookCodeNoRemove, kVirtualKeyF10, kF10Press | kAlt | kRelease, 1, false},
    {"negative code", -1, kVirtualKeyF10, kF10Press | kAlt | kRelease, 1, false},
    {"permission 0", 0, kVirtualKeyF10, kF10Press | kAlt | kRelease, 0, false},
};

TEST(VelhookKeyboardGesture, ActsOnTheReleaseOfF10WhileAltIsHeld) {
    for (const KeyEventCase& c : kKeyEvents) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsKeyboardGesture(c.code, c.key, c.data, c.permission), c.gesture);
    }
}

TEST(VelhookKeyboardGesture, OnlyTheLow32BitsOfTheKeystrokeDataCount) {
    if (sizeof(uintptr_t) < 8) GTEST_SKIP() << "keystroke data has no higher bits here";
    const uint64_t flags = kF10Press | kAlt | kRelease;
    // A 64-bit system may hand the 32-bit flags on sign-extended.
    EXPECT_TRUE(IsKeyboardGesture(0, kVirtualKeyF10,
                                  static_cast<uintptr_t>(0xFFFFFFFF00000000u | flags), 1));
    // Bits 61 and 63 are not bits 29 and 31.
    EXPECT_FALSE(IsKeyboardGesture(0, kVirtualKeyF10,
                                   static_cast<uintptr_t>(uint64_t{0xA0000000u} << 32), 1));
}

// ---- Class names

// The class-name buffer with a guard byte behind it, so a write past its 25 bytes shows.
struct GuardedClassName {
    char text[kClassNameBufferSize];
    char guard;
};

struct LowerCase {
    const char* raw;
    const char* lower;
};

const LowerCase kLowerCases[] = {
    {"Edit", "edit"},
    {"RichEdit20A", "richedit20a"},
    {"RICHEDIT50W", "richedit50w"},
    {"Internet Explorer_Server", "internet explorer_server"},  // 24 characters: fits exactly
    {"", ""},
    {"#32770", "#32770"},
    {"Afx:00400000:8", "afx:00400000:8"},
    // Only the first 24 characters are read.
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwx"},
    {"Internet Explorer_Server2", "internet explorer_server"},
    // Bytes outside ASCII stay as they are (CP1251 letters, trail bytes of double-byte code pages).
    {"\xC0\xC1 Edit \xDF", "\xC0\xC1 edit \xDF"},
};

TEST(VelhookClassName, LowerCasesAtMost24CharactersIntoTheBuffer) {
    for (const LowerCase& c : kLowerCases) {
        SCOPED_TRACE(c.raw);
        GuardedClassName name;
        std::memset(&name, 'X', sizeof name);
        LowerClassName(c.raw, name.text);
        EXPECT_STREQ(name.text, c.lower);
        EXPECT_EQ(name.guard, 'X');

        // In place, as the hook does it on the buffer GetClassNameA filled.
        GuardedClassName inPlace;
        std::memset(&inPlace, 'X', sizeof inPlace);
        std::strncpy(inPlace.text, c.raw, kClassNameBufferSize - 1);
        inPlace.text[kClassNameBufferSize - 1] = '\0';
        LowerClassName(inPlace.text, inPlace.text);
        EXPECT_STREQ(inPlace.text, c.lower);
        EXPECT_EQ(inPlace.guard, 'X');
    }
}

struct EditClassCase {
    const char* lowerName;
    bool edit;
};

const EditClassCase kEditClasses[] = {
    {"edit", true},
    {"richedit20a", true},
    {"richedit50w", true},
    {"tedit", true},
    {"editor", true},
    {"texteditor", false},  // its first "e" is followed by "x"; the later "edit" is not tried
    {"eedit", false},
    {"edi", false},
    {"e", false},
    {"", false},
    {"static", false},
    {"internet explorer_server", false},
};

TEST(VelhookClassName, EditClassIsDecidedAtTheFirstE) {
    for (const EditClassCase& c : kEditClasses) {
        SCOPED_TRACE(c.lowerName);
        EXPECT_EQ(IsEditClass(c.lowerName), c.edit);
    }
}

// ---- What each procedure does with the window it found

// What the procedure does, in the terms the tray program sees.
struct Outcome {
    std::optional<RequestKind> posted;  // the request's lParam; nothing when no request is posted
    bool wParamIsWindow;                // the request names the window (else wParam is 0)
    bool swallowed;                     // 1 returned, the window never sees the event

    bool operator==(const Outcome& other) const {
        return posted == other.posted && wParamIsWindow == other.wParamIsWindow &&
               swallowed == other.swallowed;
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    out << "{posted ";
    if (outcome.posted) {
        out << static_cast<int>(*outcome.posted)
            << (outcome.wParamIsWindow ? " with the window" : " with 0");
    } else {
        out << "nothing";
    }
    return out << (outcome.swallowed ? ", swallowed}" : ", passed on}");
}

Outcome OutcomeOf(HookVerdict verdict) {
    Outcome outcome{std::nullopt, RequestNamesWindow(verdict), SwallowsEvent(verdict)};
    if (PostsRequest(verdict)) outcome.posted = RequestOf(verdict);
    return outcome;
}

const Outcome kBrowser{RequestKind::BrowserTarget, true, true};
const Outcome kEdit{RequestKind::EditTarget, true, true};
const Outcome kNoTarget{RequestKind::NoTarget, false, false};
const Outcome kPassOn{std::nullopt, false, false};

struct TargetCase {
    const char* className;  // as GetClassNameA reads it
    int32_t width;
    int32_t height;
    Outcome mouse;
    Outcome keyboard;
};

// The two procedures differ: the mouse rejects small windows of every class first and needs
// height >= 30 and width >= 50; the keyboard looks for "edit" first and accepts height > 30 or
// width > 100; for a large window of another class the mouse posts nothing, the keyboard NoTarget.
const TargetCase kTargets[] = {
    {"Internet Explorer_Server", 800, 600, kBrowser, kBrowser},
    {"Internet Explorer_Server", 10, 10, kBrowser, kBrowser},     // the size is not looked at
    {"Internet Explorer_Server2", 800, 600, kBrowser, kBrowser},  // read as its first 24 characters
    {"Edit", 300, 200, kEdit, kEdit},
    {"RichEdit20A", 300, 200, kEdit, kEdit},
    {"RICHEDIT50W", 300, 200, kEdit, kEdit},
    {"TextEditor", 300, 200, kPassOn, kNoTarget},
    {"Static", 300, 200, kPassOn, kNoTarget},
    {"Edit", 40, 200, kNoTarget, kEdit},        // 40 pixels wide
    {"Static", 40, 200, kNoTarget, kNoTarget},  // of any class
    {"TextEditor", 40, 200, kNoTarget, kNoTarget},
    {"Edit", 120, 20, kNoTarget, kEdit},  // wide enough for ALT+F10, too low for the mouse
    {"Edit", 50, 30, kEdit, kNoTarget},   // the mouse's limits are inclusive
    {"Edit", 49, 30, kNoTarget, kNoTarget},
    {"Edit", 50, 29, kNoTarget, kNoTarget},
    {"Edit", 100, 30, kEdit, kNoTarget},  // the keyboard's limits are exclusive
    {"Edit", 101, 30, kEdit, kEdit},
    {"Edit", 100, 31, kEdit, kEdit},
    {"Edit", 0, 0, kNoTarget, kNoTarget},
    {"", 0, 0, kNoTarget, kNoTarget},  // no window, or one that is gone
};

TEST(VelhookTargetDecision, EachProcedureAppliesItsOwnRules) {
    for (const TargetCase& c : kTargets) {
        SCOPED_TRACE(std::string(c.className) + " " + std::to_string(c.width) + " x " +
                     std::to_string(c.height));
        char name[kClassNameBufferSize];
        LowerClassName(c.className, name);
        const ClientSize client{c.width, c.height};
        EXPECT_EQ(OutcomeOf(DecideMouseTarget(name, client)), c.mouse) << "mouse";
        EXPECT_EQ(OutcomeOf(DecideKeyboardTarget(name, client)), c.keyboard) << "keyboard";
    }
}

}  // namespace
}  // namespace velkaro
