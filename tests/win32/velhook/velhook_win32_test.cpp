// velhook.dll under Wine: the exports, the real procedures called as the system calls them on
// real windows, the hooks installed and seen by real input, and the shared section read by a
// second process.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request_kind.h"
#include "velhook_api.h"
#include "velhook_test_support.h"

namespace velkaro::test {
namespace {

constexpr LPARAM kNoTarget = static_cast<LPARAM>(RequestKind::NoTarget);
constexpr LPARAM kBrowserTarget = static_cast<LPARAM>(RequestKind::BrowserTarget);
constexpr LPARAM kEditTarget = static_cast<LPARAM>(RequestKind::EditTarget);
constexpr LPARAM kNothing = 0;  // no request expected

constexpr DWORD kWaitMs = 10000;  // bound of every wait for a condition

// Keystroke data of F10 (repeat count 1, scan code 0x44).
constexpr LPARAM kF10Down = 0x00440001;
constexpr LPARAM kAltF10Down = kF10Down | (1 << 29);
constexpr LPARAM kF10Up = static_cast<LPARAM>(static_cast<int32_t>(0xC0440001u));
constexpr LPARAM kAltF10Up = static_cast<LPARAM>(static_cast<int32_t>(0xE0440001u));

// SetPermission writes as it reads; this reads and leaves the permission at 0.
int HooksInstalled() { return SetPermission(0); }

class VelhookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterPlainClass("Internet Explorer_Server");
        RegisterPlainClass("RichEdit20A");
        RegisterPlainClass("TextEditor");
    }

    void SetUp() override {
        ASSERT_TRUE(notify_);
        SetPermission(0);
        ASSERT_EQ(RemoveHook(), 1);
    }

    void TearDown() override {
        SetPermission(0);
        RemoveHook();
    }

    // Makes notify_ the receiver of the requests without leaving hooks installed, then turns the
    // permission on: the procedures are then called directly, and no hook of this test acts on
    // input meant for other programs.
    void DirectCallsToNotify() {
        ASSERT_EQ(SetHook(notify_.get()), 1);
        ASSERT_EQ(RemoveHook(), 1);
        SetPermission(1);
    }

    // The single request posted since the last call, or kNothing; more than one fails.
    LPARAM SingleRequest(WPARAM expectedWindow) {
        const std::vector<Request> requests = TakeRequests(notify_.get());
        if (requests.empty()) return kNothing;
        EXPECT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].window, expectedWindow);
        return requests[0].kind;
    }

    ui::UniqueWindow notify_ = MakeNotifyWindow();
};

LRESULT CallMouseHook(int code, UINT message, HWND window) {
    MOUSEHOOKSTRUCT info = {};
    info.pt = {10, 10};
    info.hwnd = window;
    info.wHitTestCode = HTCLIENT;
    return MouseHook(code, message, reinterpret_cast<LPARAM>(&info));
}

// ---- The exports

TEST_F(VelhookTest, SetPermissionReturnsOneWhileTheHooksAreInstalled) {
    EXPECT_EQ(HooksInstalled(), 0);
    ASSERT_EQ(SetHook(notify_.get()), 1);
    EXPECT_EQ(SetPermission(1), 1);
    EXPECT_EQ(SetPermission(0), 1);
    EXPECT_EQ(RemoveHook(), 1);
    EXPECT_EQ(HooksInstalled(), 0);
    // Removing again finds nothing to remove, which is success.
    EXPECT_EQ(RemoveHook(), 1);
    EXPECT_EQ(HooksInstalled(), 0);
}

TEST_F(VelhookTest, FlagOfAnInstallerWhoseWindowIsGoneReadsAsZero) {
    ui::UniqueWindow departed = MakeNotifyWindow();
    ASSERT_EQ(SetHook(departed.get()), 1);
    EXPECT_EQ(HooksInstalled(), 1);
    departed.reset();
    EXPECT_EQ(HooksInstalled(), 0);
    // A new installer takes over.
    ASSERT_EQ(SetHook(notify_.get()), 1);
    EXPECT_EQ(HooksInstalled(), 1);
}

// ---- The mouse procedure on real windows

struct MouseCase {
    const char* what;
    const char* className;
    int width;
    int height;
    UINT message;
    bool alt;
    LPARAM posted;
    bool swallowed;
};

const MouseCase kMouseCases[] = {
    {"double click on a browser control", "Internet Explorer_Server", 400, 300, WM_LBUTTONDBLCLK,
     false, kBrowserTarget, true},
    {"double click on a small browser control", "Internet Explorer_Server", 20, 20,
     WM_LBUTTONDBLCLK, false, kBrowserTarget, true},
    {"double click on a large edit control", "Edit", 300, 200, WM_LBUTTONDBLCLK, false, kEditTarget,
     true},
    {"double click on a rich edit control", "RichEdit20A", 300, 200, WM_LBUTTONDBLCLK, false,
     kEditTarget, true},
    {"double click on an edit control 40 pixels wide", "Edit", 40, 200, WM_LBUTTONDBLCLK, false,
     kNoTarget, false},
    {"double click on a static 40 pixels wide", "Static", 40, 200, WM_LBUTTONDBLCLK, false,
     kNoTarget, false},
    {"double click on an edit control 120 x 20", "Edit", 120, 20, WM_LBUTTONDBLCLK, false,
     kNoTarget, false},
    {"double click on a large texteditor", "TextEditor", 300, 200, WM_LBUTTONDBLCLK, false,
     kNothing, false},
    {"double click on a large static", "Static", 300, 200, WM_LBUTTONDBLCLK, false, kNothing,
     false},
    {"right press without ALT", "Edit", 300, 200, WM_RBUTTONDOWN, false, kNothing, false},
    {"right press with ALT", "Edit", 300, 200, WM_RBUTTONDOWN, true, kEditTarget, true},
    {"right press with ALT on a browser control", "Internet Explorer_Server", 400, 300,
     WM_RBUTTONDOWN, true, kBrowserTarget, true},
    {"left press", "Edit", 300, 200, WM_LBUTTONDOWN, true, kNothing, false},
    {"left release", "Edit", 300, 200, WM_LBUTTONUP, true, kNothing, false},
};
// (The right button's release depends on its press: ReleaseOfASwallowedRightPressIsSwallowedToo.)

TEST_F(VelhookTest, MouseProcedureFollowsTheGestureRules) {
    DirectCallsToNotify();
    for (const MouseCase& c : kMouseCases) {
        SCOPED_TRACE(c.what);
        ui::UniqueWindow target = MakeWindow(c.className, c.width, c.height, false);
        ASSERT_TRUE(target);
        LRESULT result;
        if (c.alt) {
            HeldAlt alt;
            ASSERT_TRUE(alt.held());
            result = CallMouseHook(HC_ACTION, c.message, target.get());
        } else {
            ASSERT_FALSE(KeyIsDown(VK_MENU));
            result = CallMouseHook(HC_ACTION, c.message, target.get());
        }
        const WPARAM named = c.posted == kNoTarget ? 0 : reinterpret_cast<WPARAM>(target.get());
        EXPECT_EQ(SingleRequest(named), c.posted);
        EXPECT_EQ(result, c.swallowed ? 1 : 0);
    }
}

TEST_F(VelhookTest, ReleaseOfASwallowedRightPressIsSwallowedToo) {
    DirectCallsToNotify();
    ui::UniqueWindow edit = MakeWindow("Edit", 300, 200, false);
    {
        HeldAlt alt;
        ASSERT_TRUE(alt.held());
        ASSERT_EQ(CallMouseHook(HC_ACTION, WM_RBUTTONDOWN, edit.get()), 1);
    }
    EXPECT_EQ(SingleRequest(reinterpret_cast<WPARAM>(edit.get())), kEditTarget);
    EXPECT_EQ(CallMouseHook(HC_NOREMOVE, WM_RBUTTONUP, edit.get()), 0);
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_RBUTTONUP, edit.get()), 1);
    // The next click is the window's again.
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_RBUTTONDOWN, edit.get()), 0);
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_RBUTTONUP, edit.get()), 0);
    EXPECT_EQ(SingleRequest(0), kNothing);
}

TEST_F(VelhookTest, MouseProcedureWithoutAWindowPostsNoTarget) {
    DirectCallsToNotify();
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_LBUTTONDBLCLK, nullptr), 0);
    EXPECT_EQ(SingleRequest(0), kNoTarget);
}

// ---- The keyboard procedure on the focused window

struct KeyboardCase {
    const char* what;
    const char* className;
    int width;
    int height;
    LPARAM data;
    LPARAM posted;
    bool swallowed;
};

const KeyboardCase kKeyboardCases[] = {
    {"ALT+F10 released on a browser control", "Internet Explorer_Server", 20, 20, kAltF10Up,
     kBrowserTarget, true},
    {"ALT+F10 released on a large edit control", "Edit", 300, 200, kAltF10Up, kEditTarget, true},
    {"ALT+F10 released on an edit control 120 x 20", "Edit", 120, 20, kAltF10Up, kEditTarget, true},
    {"ALT+F10 released on an edit control 40 x 200", "Edit", 40, 200, kAltF10Up, kEditTarget, true},
    {"ALT+F10 released on an edit control 100 x 30", "Edit", 100, 30, kAltF10Up, kNoTarget, false},
    {"ALT+F10 released on a texteditor", "TextEditor", 300, 200, kAltF10Up, kNoTarget, false},
    {"ALT+F10 released on a large static", "Static", 300, 200, kAltF10Up, kNoTarget, false},
    {"ALT+F10 pressed", "Edit", 300, 200, kAltF10Down, kNothing, false},
    {"F10 pressed alone", "Edit", 300, 200, kF10Down, kNothing, false},
    {"F10 released alone", "Edit", 300, 200, kF10Up, kNothing, false},
};

TEST_F(VelhookTest, KeyboardProcedureFollowsTheGestureRules) {
    DirectCallsToNotify();
    for (const KeyboardCase& c : kKeyboardCases) {
        SCOPED_TRACE(c.what);
        ui::UniqueWindow target = MakeWindow(c.className, c.width, c.height, false);
        ASSERT_TRUE(target);
        SetFocus(target.get());
        ASSERT_EQ(GetFocus(), target.get());
        const LRESULT result = KbdHook(HC_ACTION, VK_F10, c.data);
        const WPARAM named = c.posted == kNoTarget ? 0 : reinterpret_cast<WPARAM>(target.get());
        EXPECT_EQ(SingleRequest(named), c.posted);
        EXPECT_EQ(result, c.swallowed ? 1 : 0);
    }
}

TEST_F(VelhookTest, KeyboardProcedureWithoutFocusPostsNoTarget) {
    DirectCallsToNotify();
    SetFocus(nullptr);
    ASSERT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(KbdHook(HC_ACTION, VK_F10, kAltF10Up), 0);
    EXPECT_EQ(SingleRequest(0), kNoTarget);
}

// ---- What holds for both procedures

TEST_F(VelhookTest, PeeksAndPermissionZeroPassEveryEventUntouched) {
    DirectCallsToNotify();
    ui::UniqueWindow edit = MakeWindow("Edit", 300, 200, false);
    ui::UniqueWindow browser = MakeWindow("Internet Explorer_Server", 300, 200, false);
    SetFocus(edit.get());
    ASSERT_EQ(GetFocus(), edit.get());
    struct Silent {
        const char* what;
        int permission;
        int code;
    };
    const Silent silent[] = {
        {"permission 0", 0, HC_ACTION},
        {"HC_NOREMOVE", 1, HC_NOREMOVE},
        {"negative code", 1, -1},
    };
    for (const Silent& s : silent) {
        SCOPED_TRACE(s.what);
        SetPermission(s.permission);
        EXPECT_EQ(CallMouseHook(s.code, WM_LBUTTONDBLCLK, edit.get()), 0);
        EXPECT_EQ(CallMouseHook(s.code, WM_LBUTTONDBLCLK, browser.get()), 0);
        EXPECT_EQ(CallMouseHook(s.code, WM_LBUTTONDBLCLK, nullptr), 0);
        {
            HeldAlt alt;
            ASSERT_TRUE(alt.held());
            EXPECT_EQ(CallMouseHook(s.code, WM_RBUTTONDOWN, edit.get()), 0);
        }
        EXPECT_EQ(KbdHook(s.code, VK_F10, kAltF10Up), 0);
        EXPECT_EQ(SingleRequest(0), kNothing);
    }
}

// ---- The hooks installed, seen through real input

// A left double click at a point of the screen, through real input.
void DoubleClickAt(POINT point) {
    SetCursorPos(point.x, point.y);
    INPUT clicks[4] = {};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    SendInput(4, clicks, sizeof(INPUT));
}

bool HasSelection(HWND edit) {
    const DWORD selection = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));
    return LOWORD(selection) != HIWORD(selection);
}

TEST_F(VelhookTest, InstalledHooksActOnRealInputUntilRemoved) {
    ui::UniqueWindow edit = MakeWindow("Edit", 300, 200, true, 100, 100, "alpha beta gamma");
    ASSERT_TRUE(edit);
    SetForegroundWindow(edit.get());
    SetFocus(edit.get());
    const POINT onAWord = {110, 108};
    std::vector<Request> requests;
    const WPARAM named = reinterpret_cast<WPARAM>(edit.get());

    ASSERT_EQ(SetHook(notify_.get()), 1);
    SetPermission(1);
    DoubleClickAt(onAWord);
    ASSERT_TRUE(PumpUntil(notify_.get(), requests, kWaitMs, [&] { return !requests.empty(); }));
    EXPECT_EQ(requests[0].window, named);
    EXPECT_EQ(requests[0].kind, kEditTarget);
    EXPECT_FALSE(HasSelection(edit.get())) << "the edit control saw the double click";

    requests.clear();
    SendKey(VK_MENU, false);
    SendKey(VK_F10, false);
    SendKey(VK_F10, true);
    SendKey(VK_MENU, true);
    ASSERT_TRUE(PumpUntil(notify_.get(), requests, kWaitMs, [&] { return !requests.empty(); }));
    EXPECT_EQ(requests[0].window, named);
    EXPECT_EQ(requests[0].kind, kEditTarget);

    // Installing again keeps the pair it has: one removal leaves no hook behind.
    ASSERT_EQ(SetHook(notify_.get()), 1);
    ASSERT_EQ(RemoveHook(), 1);
    requests.clear();
    DoubleClickAt(onAWord);
    EXPECT_TRUE(PumpUntil(notify_.get(), requests, kWaitMs, [&] {
        return HasSelection(edit.get());
    })) << "the double click did not reach the edit control";
    EXPECT_TRUE(requests.empty()) << "a hook was left installed";
}

// ---- The shared section, seen from a second process

// velhook_peer PERMISSION: calls SetPermission(PERMISSION) and exits with its result.
int PeerSetPermission(int permission) {
    ChildProcess peer("velhook_peer.exe", std::to_string(permission));
    EXPECT_TRUE(peer.started());
    return peer.Wait(kWaitMs);
}

TEST_F(VelhookTest, SharedSectionIsOneForEveryProcess) {
    ui::UniqueWindow edit = MakeWindow("Edit", 300, 200, false);
    ASSERT_EQ(SetHook(notify_.get()), 1);
    EXPECT_EQ(PeerSetPermission(0), 1) << "the peer does not see the hooks installed here";
    ASSERT_EQ(RemoveHook(), 1);
    EXPECT_EQ(PeerSetPermission(0), 0) << "the peer does not see the hooks removed";

    // The permission the peer sets is the one the procedures here obey.
    EXPECT_EQ(PeerSetPermission(1), 0);
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_LBUTTONDBLCLK, edit.get()), 1);
    EXPECT_EQ(SingleRequest(reinterpret_cast<WPARAM>(edit.get())), kEditTarget);
    EXPECT_EQ(PeerSetPermission(0), 0);
    EXPECT_EQ(CallMouseHook(HC_ACTION, WM_LBUTTONDBLCLK, edit.get()), 0);
    EXPECT_EQ(SingleRequest(0), kNothing);
}

}  // namespace
}  // namespace velkaro::test
