// The password dialog and the ui layer's modal runs, driven from inside their own message
// loops as a user would drive them: text typed into the field, the check box clicked, OK or
// Cancel pressed.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app_state.h"
#include "dialog.h"
#include "fake_app_platform.h"
#include "layout_indicator.h"
#include "password_dlg.h"
#include "resource_ids.h"
#include "temp_dir.h"
#include "while_modal.h"

namespace velkaro {
namespace {

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class PasswordDialogTest : public ::testing::Test {
protected:
    PasswordDialogTest() {
        pictures_.other.reset(LoadBitmapA(module_, MAKEINTRESOURCEA(IDB_LAYOUT_EN)));
        pictures_.russian.reset(LoadBitmapA(module_, MAKEINTRESOURCEA(IDB_LAYOUT_RU)));
    }

    HINSTANCE module_ = GetModuleHandleA(nullptr);
    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    LayoutPictures pictures_;
    int32_t mainWindowBox_ = 1;
};

TEST_F(PasswordDialogTest, OkGivesThePasswordAndTheBoxTakesEffectAtOnce) {
    CPasswordDlg dialog(module_, *app_, pictures_, mainWindowBox_);
    int32_t keepWhileOpen = -1;
    HBITMAP shown = nullptr;
    LRESULT limit = 0;
    bool focusInField = false;
    WhileModal script(dialog, [&](HWND window) {
        focusInField = GetFocus() == GetDlgItem(window, IDC_PASSWORD);
        limit = SendDlgItemMessageA(window, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0);
        shown = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(window, IDC_LAYOUT_INDICATOR, STM_GETIMAGE, IMAGE_BITMAP, 0));
        SetDlgItemTextA(window, IDC_PASSWORD, "\xF1\xE5\xEA\xF0\xE5\xF2 42");  // "секрет 42"
        Click(window, IDC_KEEP_PASSWORD);
        keepWhileOpen = app_->config.keepPassword;
        Click(window, IDOK);
    });
    ASSERT_EQ(app_->config.keepPassword, 1);
    EXPECT_EQ(dialog.RunModal(nullptr), 1);
    EXPECT_STREQ(dialog.password(), "\xF1\xE5\xEA\xF0\xE5\xF2 42");
    EXPECT_EQ(keepWhileOpen, 0) << "the box changes the setting the moment it is clicked";
    EXPECT_EQ(app_->config.keepPassword, 0);
    EXPECT_EQ(mainWindowBox_, 0);
    EXPECT_EQ(limit, 32);
    EXPECT_TRUE(focusInField) << "the caret starts in the password field";
    EXPECT_TRUE(shown == pictures_.other.get() || shown == pictures_.russian.get());
    EXPECT_FALSE(dialog.hwnd());
}

TEST_F(PasswordDialogTest, CancelGivesNoPasswordButKeepsTheBox) {
    CPasswordDlg dialog(module_, *app_, pictures_, mainWindowBox_);
    WhileModal script(dialog, [&](HWND window) {
        SetDlgItemTextA(window, IDC_PASSWORD, "typed then cancelled");
        Click(window, IDC_KEEP_PASSWORD);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);  // Esc and the close box
    });
    EXPECT_EQ(dialog.RunModal(nullptr), 0);
    EXPECT_STREQ(dialog.password(), "");
    EXPECT_EQ(app_->config.keepPassword, 0);
    EXPECT_EQ(mainWindowBox_, 0);
}

// A dialog that only records how its modal run went.
class PlainDialog : public ui::Dialog {
public:
    PlainDialog() : ui::Dialog(GetModuleHandleA(nullptr), IDD_MAIN) {}
};

TEST(ModalRun, QuitEndsEveryNestedRunAndReachesTheOuterLoop) {
    PlainDialog outer, inner;
    INT_PTR innerResult = -2;
    WhileModal openInner(outer, [&](HWND) {
        WhileModal quit(inner, [&](HWND) { PostQuitMessage(7); });
        innerResult = inner.RunModal(outer.hwnd());
    });
    EXPECT_EQ(outer.RunModal(nullptr), 0);
    EXPECT_EQ(innerResult, 0);
    EXPECT_FALSE(outer.hwnd());
    EXPECT_FALSE(inner.hwnd());
    // The outermost run does not pass the quit on: nothing is left for a later loop.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(ModalRun, OwnerIsDisabledWhileAModalRunHoldsItAndEnabledAfter) {
    PlainDialog owner, modal;
    BOOL enabledDuring = TRUE;
    ASSERT_TRUE(owner.CreateModeless(nullptr));
    WhileModal script(modal, [&](HWND window) {
        enabledDuring = IsWindowEnabled(owner.hwnd());
        SendMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(modal.RunModal(owner.hwnd()), IDOK);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

}  // namespace
}  // namespace velkaro
