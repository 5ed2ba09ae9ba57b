// The toolbars of the clipboard viewer (resource 161) and the note editor (162) as the
// dialogs make them: where they stand, their buttons in order with one picture each, flat,
// with tooltips that answer with the commands' strings, buttons that send their command and
// stop sending it when disabled.

#include "toolbar.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialog.h"
#include "resource_ids.h"
#include "toolbar_driver.h"

namespace velkaro {
namespace {

// A dialog of the program's template that only carries a toolbar and notes its commands.
class ToolbarHost : public ui::Dialog {
public:
    ToolbarHost(UINT templateId, UINT toolbarId)
        : ui::Dialog(GetModuleHandleA(nullptr), templateId), toolbarId_(toolbarId) {}
    ~ToolbarHost() override { Destroy(); }

    ui::Toolbar toolbar;
    bool created = false;
    std::vector<UINT> commands;

private:
    BOOL OnInitDialog() override {
        created = toolbar.Create(hwnd(), module(), toolbarId_);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT, HWND control) override {
        if (control != toolbar.hwnd()) return false;  // the edit's notifications
        commands.push_back(id);
        return true;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        return toolbar.HandleNotify(header, result);
    }
    void OnDestroy() override { toolbar.Destroy(); }

    UINT toolbarId_;
};

struct ToolbarCase {
    const char* name;
    UINT templateId;
    UINT toolbarId;
    std::vector<UINT> commands;  // 0: separator
    std::vector<std::wstring> tips;
};

class Toolbars : public ::testing::TestWithParam<ToolbarCase> {};

TEST_P(Toolbars, StandAtTheTopWithTheirButtonsInOrder) {
    ToolbarHost host(GetParam().templateId, GetParam().toolbarId);
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ASSERT_TRUE(host.created);
    HWND bar = FindToolbar(host.hwnd());
    ASSERT_EQ(bar, host.toolbar.hwnd());

    RECT client = {}, placed = {};
    GetClientRect(host.hwnd(), &client);
    GetWindowRect(bar, &placed);
    MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 5);
    EXPECT_EQ(placed.top, 2);
    EXPECT_EQ(placed.right - placed.left, client.right);
    EXPECT_EQ(placed.bottom - placed.top, 22);

    const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
    EXPECT_TRUE(style & TBSTYLE_FLAT);
    EXPECT_TRUE(style & TBSTYLE_TOOLTIPS);
    EXPECT_TRUE(style & WS_VISIBLE);

    std::vector<UINT> commands;
    std::vector<int> pictures;
    const LRESULT count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageA(bar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button));
        const bool separator = button.fsStyle & BTNS_SEP;
        commands.push_back(separator ? 0 : UINT(button.idCommand));
        if (!separator) pictures.push_back(button.iBitmap);
    }
    EXPECT_EQ(commands, GetParam().commands);
    // One picture of the strip a button, in order.
    for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(pictures[i], int(i));
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(ImageList_GetImageCount(images), int(pictures.size()));
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 15);
}

TEST_P(Toolbars, TooltipsAnswerWithTheStringsOfTheCommands) {
    ToolbarHost host(GetParam().templateId, GetParam().toolbarId);
    ASSERT_TRUE(host.CreateModeless(nullptr));
    std::vector<std::wstring> tips;
    for (UINT command : GetParam().commands) {
        if (command != 0) tips.push_back(ToolbarTip(host.hwnd(), command));
    }
    EXPECT_EQ(tips, GetParam().tips);
}

TEST_P(Toolbars, ButtonsSendTheirCommandUnlessDisabled) {
    ToolbarHost host(GetParam().templateId, GetParam().toolbarId);
    ASSERT_TRUE(host.CreateModeless(nullptr));
    std::vector<UINT> expected;
    for (UINT command : GetParam().commands) {
        if (command == 0) continue;
        EXPECT_TRUE(host.toolbar.IsButtonEnabled(command));
        ASSERT_TRUE(ClickToolbarButton(host.hwnd(), command));
        expected.push_back(command);
    }
    EXPECT_EQ(host.commands, expected);

    const UINT first = GetParam().commands.front();
    host.toolbar.EnableButton(first, false);
    EXPECT_FALSE(host.toolbar.IsButtonEnabled(first));
    host.commands.clear();
    ClickToolbarButton(host.hwnd(), first);
    EXPECT_TRUE(host.commands.empty());
    host.toolbar.EnableButton(first, true);
    ClickToolbarButton(host.hwnd(), first);
    EXPECT_EQ(host.commands, std::vector<UINT>{first});
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, Toolbars,
    ::testing::Values(
        ToolbarCase{"ClipboardViewer", IDD_CLIPBOARD, IDR_TOOLBAR_CLIPBOARD,
                    {ID_TB_CLEAR, 0, ID_TB_CRYPT, ID_TB_CLEAR_KEY, ID_TB_SAVE, ID_TB_COPY, ID_TB_HELP,
                     ID_TB_EXIT},
                    {L"Очистить буфер обмена", L"Зашифровать/расшифровать", L"Очистить кеш ключей",
                     L"Сохранить", L"Копировать", L"Помощь", L"Выход"}},
        ToolbarCase{"NoteEditor", IDD_INFO_NOTE, IDR_TOOLBAR_NOTE,
                    {ID_TB_CLEAR, ID_TB_SAVE, ID_TB_HELP, ID_TB_EXIT},
                    {L"Очистить буфер обмена", L"Сохранить", L"Помощь", L"Выход"}}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(ToolbarLayout, AMissingResourceCreatesNothing) {
    ui::ToolbarLayout layout;
    EXPECT_FALSE(ui::LoadToolbarLayout(GetModuleHandleA(nullptr), 9999, layout));
    ToolbarHost host(IDD_CLIPBOARD, 9999);
    ASSERT_TRUE(host.CreateModeless(nullptr));
    EXPECT_FALSE(host.created);
    EXPECT_FALSE(FindToolbar(host.hwnd()));
}

}  // namespace
}  // namespace velkaro
