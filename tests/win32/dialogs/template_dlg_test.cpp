// The cover-text chooser over the settings' template list: the default templates in
// alphabetical order, templates cut to 78 characters, the choice made with OK, OK without a
// selection (the last template added), Cancel, and an empty list.

#include "template_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "resource_ids.h"
#include "temp_dir.h"
#include "while_modal.h"

namespace velkaro {
namespace {

std::vector<std::string> ListEntries(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
    std::vector<std::string> entries;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<char> text(size_t(SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1);
        SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text.data());
    }
    return entries;
}

std::vector<std::string> FromUtf8(std::initializer_list<const char*> texts) {
    std::vector<std::string> converted;
    for (const char* text : texts) converted.push_back(Cp1251::FromUtf8(text));
    return converted;
}

class ChooserTest : public ::testing::Test {
protected:
    void SetTemplates(const std::vector<std::string>& templates) {
        config().templateList.assign(templates.begin(), templates.end());
        config().templateCount = uint8_t(templates.size());
    }
    CConfig& config() { return app_->config; }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    CTemplateDlg chooser_{GetModuleHandleA(nullptr)};
};

TEST_F(ChooserTest, OffersTheDefaultTemplatesInAlphabeticalOrder) {
    ASSERT_EQ(config().templateCount, 10) << "the defaults of a new settings file";
    std::vector<std::string> shown;
    bool focusOnList = false;
    WhileModal script(chooser_, [&](HWND dialog) {
        shown = ListEntries(dialog);
        focusOnList = GetFocus() == GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    std::string cover = "own";
    EXPECT_FALSE(chooser_.Choose(config(), cover));
    EXPECT_EQ(shown, FromUtf8({"Во сколько у нас встреча?", "Встретимся вечером, как договаривались.",
                               "Как у тебя дела?", "Когда мы можем встретиться?",
                               "Пожалуйста, позвони мне!", "Привет!", "Ты где?",
                               "У меня для тебя есть новость", "У нас дождь!", "Я задержусь."}));
    EXPECT_TRUE(focusOnList);
    EXPECT_EQ(cover, "own") << "Cancel leaves the cover text";
}

// What OK gives: `select` is the index in the list as shown (sorted), -1 for no selection.
struct ChoiceCase {
    const char* name;
    std::vector<std::string> templates;
    int select;
    std::string chosen;
};
class Choice : public ChooserTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(Choice, OkGivesTheCoverText) {
    SetTemplates(GetParam().templates);
    WhileModal script(chooser_, [&](HWND dialog) {
        if (GetParam().select >= 0) {
            SendDlgItemMessageA(dialog, IDC_TEMPLATE_LIST, LB_SETCURSEL, WPARAM(GetParam().select), 0);
        }
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    std::string cover = "own template";
    EXPECT_TRUE(chooser_.Choose(config(), cover));
    EXPECT_EQ(cover, GetParam().chosen);
}

const std::string k100 = std::string(60, 'L') + std::string(40, 'M');

INSTANTIATE_TEST_SUITE_P(
    Chooser, Choice,
    ::testing::Values(
        ChoiceCase{"Selected", {"Zeta", "Alpha", "Mid"}, 0, "Alpha"},
        ChoiceCase{"SelectedLastShown", {"Zeta", "Alpha", "Mid"}, 2, "Zeta"},
        // Not the last one shown (Zeta) but the last one of the settings' list.
        ChoiceCase{"NoSelectionTakesTheLastAdded", {"Zeta", "Alpha", "Mid"}, -1, "Mid"},
        ChoiceCase{"LongTemplateCutTo78", {"Short", k100}, 0, k100.substr(0, 78)},
        ChoiceCase{"LongTemplateLastAdded", {"Short", k100}, -1, k100.substr(0, 78)},
        // Nothing offered, nothing chosen: the caller's own template stays.
        ChoiceCase{"EmptyList", {}, -1, "own template"}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(ChooserTest, ShowsOnlyTemplateCountEntriesCutTo78) {
    SetTemplates({"one", k100, "three"});
    config().templateCount = 2;
    std::vector<std::string> shown;
    WhileModal script(chooser_, [&](HWND dialog) {
        shown = ListEntries(dialog);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    std::string cover;
    chooser_.Choose(config(), cover);
    EXPECT_EQ(shown, (std::vector<std::string>{k100.substr(0, 78), "one"}));
}

TEST_F(ChooserTest, EachShowingOffersTheListAnew) {
    SetTemplates({"first list"});
    {
        WhileModal script(chooser_, [&](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDOK, 0); });
        std::string cover;
        ASSERT_TRUE(chooser_.Choose(config(), cover));
        ASSERT_EQ(cover, "first list");
    }
    SetTemplates({"second b", "second a"});
    std::vector<std::string> shown;
    WhileModal script(chooser_, [&](HWND dialog) {
        shown = ListEntries(dialog);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    std::string cover;
    EXPECT_TRUE(chooser_.Choose(config(), cover));
    EXPECT_EQ(shown, (std::vector<std::string>{"second a", "second b"}));
    EXPECT_EQ(cover, "second a");
}

}  // namespace
}  // namespace velkaro
