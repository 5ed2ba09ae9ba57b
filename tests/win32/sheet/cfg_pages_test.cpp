// CCfgSheet and its three pages on the program's real templates: what each page shows of the
// record, what it hands back after OK, which pages count as seen, and the sheet's buttons.
// The record itself is never written by the sheet (EditSettings does that after OK).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "cfg_main.h"
#include "cfg_sheet.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "recording_sink.h"
#include "resource_ids.h"
#include "sheet_script.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

constexpr int kGeneralPage = 0;
constexpr int kTextPage = 1;
constexpr int kStegoPage = 2;

// The ten default templates in the order of a sorted list box.
std::vector<std::string> SortedDefaultTemplates() {
    std::vector<std::string> sorted;
    for (const char* utf8 :
         {"Во сколько у нас встреча?", "Встретимся вечером, как договаривались.",
          "Как у тебя дела?", "Когда мы можем встретиться?", "Пожалуйста, позвони мне!",
          "Привет!", "Ты где?", "У меня для тебя есть новость", "У нас дождь!", "Я задержусь."}) {
        sorted.push_back(Cp1251::FromUtf8(utf8));
    }
    return sorted;
}

std::vector<std::string> ListBoxItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<char> text(size_t(SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        items.emplace_back(text.data());
    }
    return items;
}

class CfgPagesTest : public ::testing::Test {
protected:
    // Runs a fresh sheet over the record with `steps`; the sheet is in sheet_ afterwards.
    INT_PTR Run(std::vector<SheetScript::Step> steps) {
        sheet_ = std::make_unique<CCfgSheet>(module_, *app_, messages_);
        SheetScript script(std::move(steps));
        const INT_PTR result = sheet_->RunModal(nullptr);
        EXPECT_TRUE(script.Finished());
        return result;
    }
    HWND Sheet() const { return sheet_->hwnd(); }
    HWND Page() const { return CurrentPage(sheet_->hwnd()); }

    HINSTANCE module_ = GetModuleHandleA(nullptr);
    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    RecordingSink messages_;
    std::unique_ptr<CCfgSheet> sheet_;
};

// ---------------------------------------------------------------------------------------------
// The sheet

TEST_F(CfgPagesTest, ShowsOnlyOkAndCancelMovedOverThePlacesOfTheHiddenButtons) {
    const int ids[] = {IDOK, IDCANCEL, IDC_SHEET_APPLY, IDC_SHEET_HELP};
    struct Button {
        RECT rect;
        bool visible;
    };
    auto measure = [&](HWND sheet, std::vector<Button>& into) {
        for (int id : ids) into.push_back({RectIn(sheet, GetDlgItem(sheet, id)), IsWindowVisible(GetDlgItem(sheet, id)) != FALSE});
    };

    // Where the property sheet itself puts them, with the same pages.
    std::vector<Button> framework;
    {
        ui::PropertySheet plain(module_, "plain", 0);
        CCfgMain page(module_, *app_);
        plain.AddPage(page);
        SheetScript script({Do([&] {
            measure(plain.hwnd(), framework);
            PressCancel(plain.hwnd());
        })});
        ASSERT_EQ(plain.RunModal(nullptr), IDCANCEL);
    }
    std::vector<Button> moved;
    RECT client = {};
    std::string caption;
    ASSERT_EQ(Run({Do([&] {
                  measure(Sheet(), moved);
                  GetClientRect(Sheet(), &client);
                  caption = WindowText(Sheet());
                  PressCancel(Sheet());
              })}),
              IDCANCEL);
    ASSERT_EQ(framework.size(), 4u);
    ASSERT_EQ(moved.size(), 4u);

    EXPECT_EQ(caption, Cp1251::FromUtf8("Настройка"));
    EXPECT_TRUE(framework[2].visible) << "the framework shows Apply";
    EXPECT_FALSE(moved[2].visible) << "Apply hidden";
    EXPECT_FALSE(moved[3].visible) << "Help hidden";
    for (int i : {0, 1}) {
        SCOPED_TRACE(ids[i]);
        const RECT& before = framework[size_t(i)].rect;
        const RECT& after = moved[size_t(i)].rect;
        const LONG width = before.right - before.left;
        EXPECT_TRUE(moved[size_t(i)].visible);
        EXPECT_EQ(after.left, before.left + 2 * width + 12);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.right - after.left, width);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
        EXPECT_LE(after.right, client.right) << "nothing clipped";
    }
}

TEST_F(CfgPagesTest, OkWithoutOpeningTheOtherPagesHandsBackOnlyTheGeneralPage) {
    ASSERT_EQ(app_->config.keepPassword, 1);
    ASSERT_EQ(Run({Do([&] {
                  Click(Page(), IDC_CFG_KEEP_PASSWORD);
                  Click(Page(), IDC_CFG_AUTOSTART);
                  Click(Page(), IDC_CFG_DESKTOP_LINK);
                  PressOk(Sheet());
              })}),
              IDOK);
    const SettingsSheetValues values = sheet_->Values();
    EXPECT_EQ(values.general.keepPassword, 0);
    EXPECT_EQ(values.general.autoStart, 1);
    EXPECT_EQ(values.general.desktopLink, 1);
    EXPECT_FALSE(values.textPageSeen);
    EXPECT_FALSE(values.stegoPageSeen);
    EXPECT_EQ(app_->config.keepPassword, 1) << "the sheet never writes the record";
}

// ---------------------------------------------------------------------------------------------
// General page

struct GeneralCase {
    const char* name;
    int32_t keep, autoStart, link, erase, unload;
    uint16_t minutes;
    const char* shownMinutes;
    bool minutesEnabled;
};

class CfgGeneralPageTest : public CfgPagesTest, public ::testing::WithParamInterface<GeneralCase> {};

TEST_P(CfgGeneralPageTest, ShowsTheRecord) {
    const GeneralCase& c = GetParam();
    CConfig& record = app_->config;
    record.keepPassword = c.keep;
    record.autoStart = c.autoStart;
    record.desktopLink = c.link;
    record.eraseKeysWhenIdle = c.erase;
    record.unloadWhenIdle = c.unload;
    record.idleMinutes = c.minutes;
    bool keep = false, autoStart = false, link = false, erase = false, unload = false;
    bool minutesEnabled = false, spinVisible = true;
    std::string minutes;
    int low = -1, high = -1;
    ASSERT_EQ(Run({Do([&] {
                  HWND page = Page();
                  keep = IsChecked(page, IDC_CFG_KEEP_PASSWORD);
                  autoStart = IsChecked(page, IDC_CFG_AUTOSTART);
                  link = IsChecked(page, IDC_CFG_DESKTOP_LINK);
                  erase = IsChecked(page, IDC_CFG_ERASE_KEYS_IDLE);
                  unload = IsChecked(page, IDC_CFG_UNLOAD_IDLE);
                  minutes = WindowText(GetDlgItem(page, IDC_CFG_IDLE_MINUTES));
                  minutesEnabled = IsWindowEnabled(GetDlgItem(page, IDC_CFG_IDLE_MINUTES)) != FALSE;
                  spinVisible = IsWindowVisible(GetDlgItem(page, IDC_CFG_IDLE_SPIN)) != FALSE;
                  SendDlgItemMessageA(page, IDC_CFG_IDLE_SPIN, UDM_GETRANGE32,
                                      reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_EQ(keep, c.keep != 0);
    EXPECT_EQ(autoStart, c.autoStart != 0);
    EXPECT_EQ(link, c.link != 0);
    EXPECT_EQ(erase, c.erase != 0);
    EXPECT_EQ(unload, c.unload != 0);
    EXPECT_EQ(minutes, c.shownMinutes);
    EXPECT_EQ(minutesEnabled, c.minutesEnabled);
    EXPECT_FALSE(spinVisible);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 30);
    // What OK hands back is what was shown: an out-of-range minute count comes back as 0.
    EXPECT_EQ(sheet_->Values().general.idleMinutes, std::stoi(c.shownMinutes));
}

INSTANTIATE_TEST_SUITE_P(
    Records, CfgGeneralPageTest,
    ::testing::Values(GeneralCase{"Defaults", 1, 0, 0, 0, 0, 0, "0", false},
                      GeneralCase{"AllSet", 1, 1, 1, 1, 1, 30, "30", true},
                      GeneralCase{"EraseOnly", 0, 0, 0, 1, 0, 5, "5", true},
                      GeneralCase{"UnloadOnly", 0, 1, 0, 0, 1, 12, "12", true},
                      GeneralCase{"MinutesAboveTheRange", 0, 0, 1, 0, 0, 31, "0", false}),
    [](const ::testing::TestParamInfo<GeneralCase>& p) { return std::string(p.param.name); });

TEST_F(CfgPagesTest, TheIdleOptionsEnableTheMinutes) {
    std::vector<bool> enabled;
    auto toggle = [&](int id) {
        HWND page = Page();
        // The two boxes are hidden: their click is what a keyboard or program would send.
        CheckDlgButton(page, id, IsChecked(page, id) ? BST_UNCHECKED : BST_CHECKED);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
        enabled.push_back(IsWindowEnabled(GetDlgItem(page, IDC_CFG_IDLE_MINUTES)) != FALSE);
    };
    ASSERT_EQ(Run({Do([&] {
                  toggle(IDC_CFG_ERASE_KEYS_IDLE);   // erase on
                  toggle(IDC_CFG_UNLOAD_IDLE);       // both on
                  toggle(IDC_CFG_ERASE_KEYS_IDLE);   // unload only
                  toggle(IDC_CFG_UNLOAD_IDLE);       // none
                  toggle(IDC_CFG_UNLOAD_IDLE);       // unload again
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, false, true}));
    EXPECT_EQ(sheet_->Values().general.unloadWhenIdle, 1);
    EXPECT_EQ(sheet_->Values().general.eraseKeysWhenIdle, 0);
}

TEST_F(CfgPagesTest, MinutesOutOfRangeAreRefusedAndTheSheetStaysOpen) {
    app_->config.eraseKeysWhenIdle = 1;
    const std::string caption = app_->programCaption;
    std::string boxText;
    bool openAfterRefusal = false;
    ASSERT_EQ(Run({Do([&] {
                       SetDlgItemTextA(Page(), IDC_CFG_IDLE_MINUTES, "45");
                       PressOk(Sheet());  // the refusal's message box runs from here
                   }),
                   [&] { return FindThreadWindow(caption) != nullptr; },
                   Do([&] {
                       HWND box = FindThreadWindow(caption);
                       boxText = WindowText(GetDlgItem(box, 0xFFFF));
                       SendMessageA(box, WM_COMMAND, IDOK, 0);
                   }),
                   [&] { return FindThreadWindow(caption) == nullptr; },
                   Do([&] {
                       openAfterRefusal = Page() != nullptr;
                       SetDlgItemTextA(Page(), IDC_CFG_IDLE_MINUTES, "7");
                       PressOk(Sheet());
                   })}),
              IDOK);
    EXPECT_EQ(boxText, "Please enter an integer between 0 and 30.");
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(sheet_->Values().general.idleMinutes, 7);
}

// ---------------------------------------------------------------------------------------------
// Text encryption page

TEST_F(CfgPagesTest, TextPageShowsTheRecordAndCountsOnceOpened) {
    app_->config.colourBackground = 1;
    app_->config.addInfoNote = 0;
    bool colour = false, note = true;
    HANDLE picture = nullptr;
    ASSERT_EQ(Run({Do([&] {
                  SelectPage(Sheet(), kTextPage);
                  colour = IsChecked(Page(), IDC_CFG_COLOUR_BACKGROUND);
                  note = IsChecked(Page(), IDC_CFG_ADD_INFO_NOTE);
                  picture = reinterpret_cast<HANDLE>(
                      SendDlgItemMessageA(Page(), IDC_CFG_EDIT_NOTE, BM_GETIMAGE, IMAGE_BITMAP, 0));
                  Click(Page(), IDC_CFG_ADD_INFO_NOTE);
                  Click(Page(), IDC_CFG_COLOUR_BACKGROUND);
                  SelectPage(Sheet(), kGeneralPage);  // values are taken when the page is left
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_TRUE(colour);
    EXPECT_FALSE(note);
    EXPECT_NE(picture, nullptr) << "the note button shows bitmap 171";
    const SettingsSheetValues values = sheet_->Values();
    EXPECT_TRUE(values.textPageSeen);
    EXPECT_FALSE(values.stegoPageSeen);
    EXPECT_EQ(values.text.addInfoNote, 1);
    EXPECT_EQ(values.text.colourBackground, 0);
}

TEST_F(CfgPagesTest, TheNoteButtonOpensTheNoteEditorAndTheSheetGoesOn) {
    const std::string editorCaption = Cp1251::FromUtf8("Редактировать информационное сообщение");
    HWND editor = nullptr;
    bool sheetOpenMeanwhile = false;
    ASSERT_EQ(Run({Do([&] {
                       SelectPage(Sheet(), kTextPage);
                       Click(Page(), IDC_CFG_EDIT_NOTE);  // the editor's modal run goes on from here
                   }),
                   [&] { return (editor = FindThreadWindow(editorCaption)) != nullptr; },
                   Do([&] {
                       sheetOpenMeanwhile = Page() != nullptr;
                       SendMessageA(editor, WM_COMMAND, ID_TB_EXIT, 0);
                   }),
                   [&] { return FindThreadWindow(editorCaption) == nullptr; },
                   Do([&] { PressCancel(Sheet()); })}),
              IDCANCEL);
    EXPECT_TRUE(sheetOpenMeanwhile);
    EXPECT_TRUE(dir_.Exists("msgtext.txt")) << "the editor works on the note file beside the program";
}

// ---------------------------------------------------------------------------------------------
// Steganography page

struct KeyCase {
    const char* name;
    uint16_t stored;
    bool ctrl, shift, ins;
};

class CfgStegoKeyTest : public CfgPagesTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CfgStegoKeyTest, TheStoredKeyIsChecked) {
    const KeyCase& c = GetParam();
    app_->config.stegoModifierKey = c.stored;
    bool ctrl = false, shift = false, ins = false;
    ASSERT_EQ(Run({Do([&] {
                  SelectPage(Sheet(), kStegoPage);
                  ctrl = IsChecked(Page(), IDC_STEGO_CTRL);
                  shift = IsChecked(Page(), IDC_STEGO_SHIFT);
                  ins = IsChecked(Page(), IDC_STEGO_INS);
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_EQ(ctrl, c.ctrl);
    EXPECT_EQ(shift, c.shift);
    EXPECT_EQ(ins, c.ins);
    EXPECT_EQ(sheet_->Values().stego.stegoModifierKey, c.stored) << "an unclicked key comes back as it was";
}

INSTANTIATE_TEST_SUITE_P(Keys, CfgStegoKeyTest,
                         ::testing::Values(KeyCase{"Ctrl", 17, true, false, false},
                                           KeyCase{"Shift", 16, false, true, false},
                                           KeyCase{"Insert", 45, false, false, true},
                                           KeyCase{"Other", 18, false, false, false}),
                         [](const ::testing::TestParamInfo<KeyCase>& p) { return std::string(p.param.name); });

TEST_F(CfgPagesTest, StegoPageHandsBackTheKeyClickedAndTheListInAlphabeticalOrder) {
    ASSERT_EQ(app_->config.stegoModifierKey, 17);
    std::vector<std::string> shown;
    LRESULT limit = 0;
    std::vector<uint16_t> keys;
    ASSERT_EQ(Run({Do([&] {
                  SelectPage(Sheet(), kStegoPage);
                  shown = ListBoxItems(GetDlgItem(Page(), IDC_STEGO_TEMPLATES));
                  limit = SendDlgItemMessageA(Page(), IDC_STEGO_OWN_TEMPLATE, EM_GETLIMITTEXT, 0, 0);
                  for (int id : {IDC_STEGO_SHIFT, IDC_STEGO_CTRL, IDC_STEGO_INS}) {
                      Click(Page(), id);
                      keys.push_back(sheet_->Values().stego.stegoModifierKey);
                  }
                  SetDlgItemTextA(Page(), IDC_STEGO_OWN_TEMPLATE, "\xCC\xEE\xE9");  // "Мой"
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_EQ(shown, SortedDefaultTemplates());
    EXPECT_EQ(limit, 78);
    EXPECT_EQ(keys, (std::vector<uint16_t>{16, 17, 45})) << "a radio button sets its key at once";
    const SettingsSheetValues values = sheet_->Values();
    EXPECT_TRUE(values.stegoPageSeen);
    EXPECT_FALSE(values.textPageSeen);
    EXPECT_EQ(values.stego.stegoModifierKey, 45);
    EXPECT_EQ(values.stego.ownTemplate, "\xCC\xEE\xE9");
    EXPECT_EQ(values.stego.templateCount, 10);
    EXPECT_EQ(std::vector<std::string>(values.stego.templateList.begin(), values.stego.templateList.end()),
              SortedDefaultTemplates());
}

TEST_F(CfgPagesTest, TheOfferBoxEnablesTheListAndItsButtons) {
    std::vector<bool> listEnabled, buttonsEnabled;
    auto look = [&] {
        listEnabled.push_back(IsWindowEnabled(GetDlgItem(Page(), IDC_STEGO_TEMPLATES)) != FALSE);
        bool any = false;
        for (int id : {IDC_STEGO_BUTTON_ADD, IDC_STEGO_BUTTON_DELETE, IDC_STEGO_BUTTON_EDIT}) {
            any = any || IsWindowEnabled(GetDlgItem(Page(), id));
        }
        buttonsEnabled.push_back(any);
    };
    ASSERT_EQ(Run({Do([&] {
                  SelectPage(Sheet(), kStegoPage);
                  look();
                  Click(Page(), IDC_STEGO_OFFER_LIST);
                  look();
                  Click(Page(), IDC_STEGO_OFFER_LIST);
                  look();
                  Click(Page(), IDC_STEGO_OFFER_LIST);
                  PressOk(Sheet());
              })}),
              IDOK);
    EXPECT_EQ(listEnabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(buttonsEnabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(sheet_->Values().stego.offerTemplateList, 0);
    EXPECT_EQ(sheet_->Values().stego.templateCount, 10) << "the list is kept";
}

TEST_F(CfgPagesTest, AnOfferSwitchedOffInTheRecordShowsADisabledList) {
    app_->config.offerTemplateList = 0;
    bool offered = true, listEnabled = true;
    ASSERT_EQ(Run({Do([&] {
                  SelectPage(Sheet(), kStegoPage);
                  offered = IsChecked(Page(), IDC_STEGO_OFFER_LIST);
                  listEnabled = IsWindowEnabled(GetDlgItem(Page(), IDC_STEGO_TEMPLATES)) != FALSE;
                  PressCancel(Sheet());
              })}),
              IDCANCEL);
    EXPECT_FALSE(offered);
    EXPECT_FALSE(listEnabled);
}

}  // namespace
}  // namespace velkaro
