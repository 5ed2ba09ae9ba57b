// ui::PropertySheet and ui::PropertyPage: the page notifications reach the page objects, OK
// and Cancel end the modal run with their answers, and the run keeps the rules of the
// dialogs' modal runs (owner disabled, other windows' posted messages dispatched, WM_QUIT
// ending every nested run and reaching the outer one).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialog.h"
#include "property_sheet.h"
#include "resource_ids.h"
#include "sheet_script.h"

namespace velkaro {
namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

class CountingPage : public ui::PropertyPage {
public:
    explicit CountingPage(UINT templateId) : ui::PropertyPage(Module(), templateId) {}

    int inits = 0, activations = 0, kills = 0, applies = 0, resets = 0;
    bool refuseToLeave = false;

protected:
    BOOL OnInitDialog() override {
        ++inits;
        return TRUE;
    }
    void OnSetActive() override { ++activations; }
    bool OnKillActive() override {
        ++kills;
        return !refuseToLeave;
    }
    void OnApply() override { ++applies; }
    void OnReset() override { ++resets; }
};

class TwoPageSheet : public ui::PropertySheet {
public:
    TwoPageSheet() : ui::PropertySheet(Module(), "Two pages", 0) {
        AddPage(first);
        AddPage(second);
    }

    CountingPage first{IDD_CFG_MAIN};
    CountingPage second{IDD_CFG_SHIFR_TXT};
    int inits = 0;
    bool visibleAtInit = true;
    bool firstPageAtInit = false;

protected:
    void OnInitDialog() override {
        ++inits;
        visibleAtInit = IsWindowVisible(hwnd()) != FALSE;
        firstPageAtInit = first.hwnd() != nullptr && CurrentPage(hwnd()) == first.hwnd();
    }
};

// A dialog that stands for the main window: it records the messages posted to it.
class RecordingOwner : public ui::Dialog {
public:
    RecordingOwner() : ui::Dialog(Module(), IDD_MAIN) {}
    ~RecordingOwner() override { Destroy(); }
    int requests = 0;

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        if (message != WM_APP + 1) return false;
        ++requests;
        result = 0;
        return true;
    }
};

TEST(PropertySheet, OkAcceptsOnceTheCurrentPageLetsGo) {
    TwoPageSheet sheet;
    bool visibleWhileOpen = false;
    std::string caption;
    SheetScript script({Do([&] {
                            visibleWhileOpen = IsWindowVisible(sheet.hwnd()) != FALSE;
                            caption = WindowText(sheet.hwnd());
                            PressOk(sheet.hwnd());
                        })});
    EXPECT_EQ(sheet.RunModal(nullptr), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(sheet.inits, 1);
    EXPECT_FALSE(sheet.visibleAtInit) << "the sheet appears once it is initialised";
    EXPECT_TRUE(sheet.firstPageAtInit);
    EXPECT_TRUE(visibleWhileOpen);
    EXPECT_EQ(caption, "Two pages");
    EXPECT_EQ(sheet.first.inits, 1);
    EXPECT_EQ(sheet.first.kills, 1);
    EXPECT_EQ(sheet.first.applies, 1);
    EXPECT_EQ(sheet.second.inits, 0) << "a page never shown is never created";
    EXPECT_FALSE(sheet.hwnd());
    EXPECT_FALSE(sheet.first.hwnd());
}

TEST(PropertySheet, SwitchingPagesLeavesTheOldAndCreatesTheNew) {
    TwoPageSheet sheet;
    HWND shown = nullptr;
    SheetScript script({Do([&] { SelectPage(sheet.hwnd(), 1); }),
                        Do([&] {
                            shown = CurrentPage(sheet.hwnd());
                            SelectPage(sheet.hwnd(), 0);
                            SelectPage(sheet.hwnd(), 1);
                            PressOk(sheet.hwnd());
                        })});
    EXPECT_EQ(sheet.RunModal(nullptr), IDOK);
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(sheet.first.kills, 2);
    EXPECT_EQ(sheet.second.inits, 1) << "created once, on its first activation";
    EXPECT_EQ(sheet.second.activations, 2);
    EXPECT_EQ(sheet.second.kills, 2) << "left once, then accepted by OK";
    EXPECT_EQ(sheet.first.applies, 1);
    EXPECT_EQ(sheet.second.applies, 1);
}

TEST(PropertySheet, APageThatRefusesToBeLeftKeepsTheUserThere) {
    TwoPageSheet sheet;
    sheet.first.refuseToLeave = true;
    HWND firstPage = nullptr, afterSwitch = nullptr;
    bool openAfterOk = false;
    SheetScript script({Do([&] {
                            firstPage = sheet.first.hwnd();
                            SelectPage(sheet.hwnd(), 1);
                            afterSwitch = CurrentPage(sheet.hwnd());
                            PressOk(sheet.hwnd());
                        }),
                        Do([&] {
                            openAfterOk = CurrentPage(sheet.hwnd()) != nullptr;
                            sheet.first.refuseToLeave = false;
                            PressOk(sheet.hwnd());
                        })});
    EXPECT_EQ(sheet.RunModal(nullptr), IDOK);
    EXPECT_EQ(afterSwitch, firstPage);
    EXPECT_EQ(sheet.second.inits, 0);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(sheet.first.applies, 1);
}

struct CancelCase {
    const char* name;
    void (*cancel)(HWND sheet);
    int applies;  // Apply applies the pages; the run still ends cancelled
};

class PropertySheetCancel : public ::testing::TestWithParam<CancelCase> {};

TEST_P(PropertySheetCancel, EndsCancelled) {
    TwoPageSheet sheet;
    SheetScript script({Do([&] { GetParam().cancel(sheet.hwnd()); })});
    EXPECT_EQ(sheet.RunModal(nullptr), IDCANCEL);
    EXPECT_EQ(sheet.first.applies, GetParam().applies);
    EXPECT_EQ(sheet.first.resets, 1);
    EXPECT_FALSE(sheet.hwnd());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, PropertySheetCancel,
    ::testing::Values(CancelCase{"CancelButton", [](HWND sheet) { PressCancel(sheet); }, 0},
                      CancelCase{"CloseBox", [](HWND sheet) {
                                     SendMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
                                 }, 0},
                      // Esc typed on the page goes through the sheet's keyboard navigation.
                      CancelCase{"Escape", [](HWND sheet) {
                                     HWND focus = GetNextDlgTabItem(CurrentPage(sheet), nullptr, FALSE);
                                     PostMessageA(focus ? focus : sheet, WM_KEYDOWN, VK_ESCAPE, 0);
                                 }, 0},
                      // Apply is there even when a sheet hides it: it does not make Cancel an OK.
                      CancelCase{"ApplyThenCancel",
                                 [](HWND sheet) {
                                     SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
                                     PressCancel(sheet);
                                 }, 1}),
    [](const ::testing::TestParamInfo<CancelCase>& p) { return std::string(p.param.name); });

TEST(PropertySheet, OwnerIsDisabledWhileItRunsAndItsPostedMessagesArrive) {
    RecordingOwner owner;
    ASSERT_TRUE(owner.CreateModeless(nullptr));
    TwoPageSheet sheet;
    BOOL enabledDuring = TRUE;
    HWND sheetOwner = nullptr;
    SheetScript script({Do([&] {
                            enabledDuring = IsWindowEnabled(owner.hwnd());
                            sheetOwner = GetWindow(sheet.hwnd(), GW_OWNER);
                            PostMessageA(owner.hwnd(), WM_APP + 1, 0, 0);
                        }),
                        [&] { return owner.requests == 1; },
                        Do([&] { PressCancel(sheet.hwnd()); })});
    EXPECT_EQ(sheet.RunModal(owner.hwnd()), IDCANCEL);
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(sheetOwner, owner.hwnd());
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(owner.requests, 1);
}

// ---------------------------------------------------------------------------------------------
// WM_QUIT

bool QuitLeftInTheQueue() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST(PropertySheetQuit, EndsTheSheetAndTheModalRunAroundIt) {
    RecordingOwner outer;
    TwoPageSheet sheet;
    INT_PTR sheetResult = -2;
    SheetScript script({Do([&] { sheetResult = sheet.RunModal(outer.hwnd()); }),
                        [&] { return sheet.hwnd() != nullptr; },
                        Do([] { PostQuitMessage(7); })});
    EXPECT_EQ(outer.RunModal(nullptr), 0);
    EXPECT_EQ(sheetResult, 0);
    EXPECT_EQ(sheet.first.applies, 0);
    EXPECT_FALSE(sheet.hwnd());
    EXPECT_FALSE(outer.hwnd());
    EXPECT_FALSE(QuitLeftInTheQueue()) << "the outermost run does not pass it on";
}

TEST(PropertySheetQuit, ADialogRunInsideTheSheetPassesItOnToTheSheet) {
    TwoPageSheet sheet;
    RecordingOwner inner;
    INT_PTR innerResult = -2;
    SheetScript script({Do([&] { innerResult = inner.RunModal(sheet.hwnd()); }),
                        [&] { return inner.hwnd() != nullptr; },
                        Do([] { PostQuitMessage(3); })});
    EXPECT_EQ(sheet.RunModal(nullptr), 0);
    EXPECT_EQ(innerResult, 0);
    EXPECT_FALSE(QuitLeftInTheQueue());
}

}  // namespace
}  // namespace velkaro
