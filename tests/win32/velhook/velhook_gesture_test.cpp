// The hooks across processes: this test installs them, another process (velhook_target) shows
// an edit control, and xdotool gives that control real X input. The hook procedures then run in
// the other process, read the shared section there and post their requests here.
//
// xdotool is a Linux program; Wine starts it like any other (its path comes in VELHOOK_XDOTOOL).

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request_kind.h"
#include "velhook_api.h"
#include "velhook_test_support.h"

namespace velkaro::test {
namespace {

constexpr DWORD kWaitMs = 10000;  // bound of every wait for a condition

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

// Starts xdotool with the arguments (one command line runs its commands in order). Wine hands
// back no handle of a Linux process, so the caller waits for the effect of the input instead, and
// starts no second xdotool before the first one's effect has shown.
bool Xdotool(const std::string& arguments) {
    std::string commandLine = Environment("VELHOOK_XDOTOOL") + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    ui::UniqueKernelHandle process(info.hProcess);
    ui::UniqueKernelHandle thread(info.hThread);
    return true;
}

// Whether a popup menu (the edit control's context menu) is shown.
bool MenuShown() {
    const HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

// How often the target's edit control has received the message.
LRESULT ReceivedByEdit(HWND top, UINT message) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(top, kTargetCountQuery, message, 0, SMTO_ABORTIFHUNG, kWaitMs,
                             &count)) {
        return -1;
    }
    return static_cast<LRESULT>(count);
}

// The edit control's selection, asked of the other process (bounded: it must not hang the test).
bool HasSelection(HWND edit) {
    DWORD_PTR selection = 0;
    if (!SendMessageTimeoutA(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &selection)) {
        return false;
    }
    return LOWORD(selection) != HIWORD(selection);
}

class VelhookGestureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Environment("VELHOOK_XDOTOOL").empty() || Environment("DISPLAY").empty()) {
            GTEST_SKIP() << "needs an X display and xdotool (VELHOOK_XDOTOOL)";
        }
        ASSERT_TRUE(notify_);
        SetPermission(0);
        ASSERT_EQ(SetHook(notify_.get()), 1);
        ASSERT_TRUE(target_.started());
        // The target is ready when its controls are shown.
        ASSERT_TRUE(PumpUntil(notify_.get(), requests_, kWaitMs, [&] {
            top_ = FindWindowA("VelhookTestTarget", nullptr);
            if (top_ == nullptr) return false;
            edit_ = FindWindowExA(top_, nullptr, "Edit", nullptr);
            narrow_ = FindWindowExA(top_, nullptr, "Static", nullptr);
            return edit_ != nullptr && narrow_ != nullptr && IsWindowVisible(edit_) &&
                   IsWindowVisible(narrow_);
        })) << "the target program shows no controls";
        SetPermission(1);
    }

    void TearDown() override {
        // The key state is the desktop's: the target must have handled the release of ALT before
        // it ends, or ALT would stay down for every later program.
        EXPECT_TRUE(
            PumpUntil(notify_.get(), requests_, kWaitMs, [] { return !KeyIsDown(VK_MENU); }));
        EXPECT_TRUE(requests_.empty()) << "more requests than gestures";
        SetPermission(0);
        EXPECT_EQ(RemoveHook(), 1);
        if (top_ != nullptr) PostMessageA(top_, WM_CLOSE, 0, 0);
        EXPECT_EQ(target_.Wait(kWaitMs), 0);
    }

    LRESULT EditReceived(UINT message) const { return ReceivedByEdit(top_, message); }

    // The xdotool command that moves the mouse over the window (on the first word of an edit
    // control).
    static std::string PointAt(HWND window) {
        RECT frame = {};
        GetWindowRect(window, &frame);
        return "mousemove " + std::to_string(frame.left + 14) + " " + std::to_string(frame.top + 8);
    }

    // Waits for the next request and checks it; requests of events before it would come first.
    void ExpectRequest(WPARAM window, RequestKind kind) {
        ASSERT_TRUE(PumpUntil(notify_.get(), requests_, kWaitMs, [&] {
            return !requests_.empty();
        })) << "no request arrived";
        EXPECT_EQ(requests_.front().window, window);
        EXPECT_EQ(requests_.front().kind, static_cast<LPARAM>(kind));
        requests_.erase(requests_.begin());
    }

    ui::UniqueWindow notify_ = MakeNotifyWindow();
    ChildProcess target_{"velhook_target.exe", "200 150"};
    HWND top_ = nullptr;
    HWND edit_ = nullptr;
    HWND narrow_ = nullptr;  // 40 pixels wide: no target for any gesture
    std::vector<Request> requests_;
};

TEST_F(VelhookGestureTest, GesturesInAnotherProcessReachTheNotifyWindow) {
    const WPARAM edit = reinterpret_cast<WPARAM>(edit_);

    // A double click on a large edit control is requested and swallowed: the control gets the
    // first click only, and selects no word.
    ASSERT_TRUE(Xdotool(PointAt(edit_) + " click --repeat 2 1"));
    ExpectRequest(edit, RequestKind::EditTarget);
    EXPECT_EQ(EditReceived(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(EditReceived(WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(HasSelection(edit_)) << "the edit control saw the double click";

    // ALT+F10 acts on the focused edit control (the click gave it the focus).
    ASSERT_TRUE(Xdotool("keydown alt key F10 keyup alt"));
    ExpectRequest(edit, RequestKind::EditTarget);

    // F10 alone and a right click without ALT are no gestures: the next request is the one of the
    // double click on the narrow control after them, and that one is NoTarget.
    ASSERT_TRUE(Xdotool("key F10 " + PointAt(narrow_) + " click 3 click --repeat 2 1"));
    ExpectRequest(0, RequestKind::NoTarget);

    // ALT with the right button on the edit control: requested, and neither the press nor its
    // release reaches the control, so it opens no context menu. The double click on the narrow
    // control after it marks the point where the target has handled the release.
    ASSERT_TRUE(Xdotool(PointAt(edit_) + " keydown alt click 3 keyup alt " + PointAt(narrow_) +
                        " click --repeat 2 1"));
    ExpectRequest(edit, RequestKind::EditTarget);
    ExpectRequest(0, RequestKind::NoTarget);
    EXPECT_EQ(EditReceived(WM_RBUTTONDOWN), 0);
    EXPECT_EQ(EditReceived(WM_RBUTTONUP), 0);
    EXPECT_EQ(EditReceived(WM_CONTEXTMENU), 0) << "the edit control was asked for its context menu";
}

TEST_F(VelhookGestureTest, WithPermissionZeroEveryEventReachesTheWindow) {
    SetPermission(0);
    ASSERT_TRUE(Xdotool(PointAt(edit_) + " click --repeat 2 1"));
    EXPECT_TRUE(PumpUntil(notify_.get(), requests_, kWaitMs, [&] { return HasSelection(edit_); }))
        << "the double click did not select a word";
    EXPECT_EQ(EditReceived(WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(Xdotool("keydown alt click 3 keyup alt"));
    EXPECT_TRUE(PumpUntil(notify_.get(), requests_, kWaitMs, MenuShown))
        << "the right click opened no context menu";
    EXPECT_EQ(EditReceived(WM_RBUTTONUP), 1);
    EXPECT_EQ(EditReceived(WM_CONTEXTMENU), 1);
    ASSERT_TRUE(Xdotool("key Escape"));
    EXPECT_TRUE(PumpUntil(notify_.get(), requests_, kWaitMs, [] { return !MenuShown(); }));
}

}  // namespace
}  // namespace velkaro::test
