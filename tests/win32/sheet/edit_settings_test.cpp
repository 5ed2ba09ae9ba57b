// EditSettings as the tray command runs it: the sheet over the main window, then on OK the
// record, the desktop link, the start with Windows, the note and the settings file; on Cancel
// nothing at all. The desktop is a folder of the test's own (desktop_redirect.h) and the
// registry values carry the test process's name (test_app.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "autostart.h"
#include "com.h"
#include "cp1251.h"
#include "desktop_link.h"
#include "desktop_redirect.h"
#include "dialog.h"
#include "edit_settings.h"
#include "recording_sink.h"
#include "registry_test_key.h"
#include "resource_ids.h"
#include "sheet_script.h"
#include "temp_dir.h"
#include "test_app.h"

namespace velkaro {
namespace {

constexpr int kTextPage = 1;
constexpr int kStegoPage = 2;

// The settings file as its layout reads: the 36 numeric bytes, the own template, the templates.
struct SettingsFile {
    std::string numeric;
    std::string ownTemplate;
    unsigned count = 0;
    std::vector<std::string> templates;
};

SettingsFile Parse(const std::string& bytes) {
    SettingsFile file;
    if (bytes.size() < 38) return file;
    file.numeric = bytes.substr(0, 36);
    size_t at = bytes.find('\n', 36);
    if (at == std::string::npos || at + 1 >= bytes.size()) return file;
    file.ownTemplate = bytes.substr(36, at - 36);
    file.count = uint8_t(bytes[at + 1]);
    size_t line = at + 2;
    while (line < bytes.size()) {
        size_t end = bytes.find('\n', line);
        if (end == std::string::npos) break;
        file.templates.push_back(bytes.substr(line, end - line));
        line = end + 1;
    }
    return file;
}

uint32_t NumericField(const SettingsFile& file, size_t offset, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t(uint8_t(file.numeric[offset + i])) << (8 * i);
    return value;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// A dialog that stands for the main window, the owner of the sheet.
class MainWindowStandIn : public ui::Dialog {
public:
    MainWindowStandIn() : ui::Dialog(GetModuleHandleA(nullptr), IDD_MAIN) {}
    ~MainWindowStandIn() override { Destroy(); }
};

class EditSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.ok());
        // Without its own desktop a test could write into the machine's home directory.
        ASSERT_TRUE(desktop_.Active()) << "the desktop is not the test's own folder";
        ASSERT_TRUE(mainWindow_.CreateModeless(nullptr));
        program_.Write("velkaro.exe", "MZ");
    }
    void TearDown() override {
        // Whatever a failed expectation left in the prefix's Run keys.
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY run = nullptr;
            if (RegOpenKeyExA(root, kRunKeyPath, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
                RegDeleteValueA(run, app_.caption().c_str());
                RegCloseKey(run);
            }
        }
    }

    // EditSettings with `steps` run inside its sheet; the first step finds the sheet.
    void Edit(std::vector<SheetScript::Step> steps) {
        const std::string caption = Cp1251::FromUtf8("Настройка");
        steps.insert(steps.begin(), [this, caption] { return (sheet_ = FindThreadWindow(caption)) != nullptr; });
        SheetScript script(std::move(steps));
        EditSettings(GetModuleHandleA(nullptr), mainWindow_.hwnd(), app_.app(), messages_);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(FindThreadWindow(caption), nullptr) << "the sheet is gone";
        EXPECT_TRUE(IsWindowEnabled(mainWindow_.hwnd()));
    }
    HWND Page() const { return CurrentPage(sheet_); }

    std::string SettingsBytes() { return ReadFileBytes(app_.app().config.PathName()); }
    bool RunValueExists() {
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, kRunKeyPath, app_.caption()).has_value() ||
               ReadRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, app_.caption()).has_value();
    }
    // The link, or any file at all, on the test's desktop.
    bool LinkExists() { return DesktopLinkExists(app_.app()) || desktop_.folder().EntryCount() > 0; }

    ui::ComApartment com_;
    DesktopRedirect desktop_;
    TempDir program_;
    TestApp app_{program_.Path()};
    MainWindowStandIn mainWindow_;
    RecordingSink messages_;
    HWND sheet_ = nullptr;
};

TEST_F(EditSettingsTest, CancelAfterChangingEveryPageChangesNothing) {
    const std::string fileBefore = SettingsBytes();
    ASSERT_FALSE(fileBefore.empty());
    const CConfig& record = app_.app().config;
    const int32_t keepBefore = record.keepPassword;
    const uint16_t keyBefore = record.stegoModifierKey;
    ASSERT_FALSE(RunValueExists());
    ASSERT_FALSE(LinkExists());
    BOOL ownerEnabled = TRUE;

    Edit({Do([&] {
        ownerEnabled = IsWindowEnabled(mainWindow_.hwnd());
        for (int id : {IDC_CFG_KEEP_PASSWORD, IDC_CFG_AUTOSTART, IDC_CFG_DESKTOP_LINK}) Click(Page(), id);
        SelectPage(sheet_, kTextPage);
        for (int id : {IDC_CFG_COLOUR_BACKGROUND, IDC_CFG_ADD_INFO_NOTE}) Click(Page(), id);
        SelectPage(sheet_, kStegoPage);
        Click(Page(), IDC_STEGO_INS);
        Click(Page(), IDC_STEGO_OFFER_LIST);
        SetDlgItemTextA(Page(), IDC_STEGO_OWN_TEMPLATE, "changed");
        PressCancel(sheet_);
    })});

    EXPECT_FALSE(ownerEnabled) << "the main window is disabled while the sheet runs";
    EXPECT_EQ(SettingsBytes(), fileBefore);
    EXPECT_EQ(record.keepPassword, keepBefore);
    EXPECT_EQ(record.stegoModifierKey, keyBefore);
    EXPECT_EQ(record.addInfoNote, 0);
    EXPECT_TRUE(app_.app().infoNoteText.empty());
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(LinkExists());
    EXPECT_EQ(desktop_.folder().EntryCount(), 0u);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EditSettingsTest, OkStoresInsAndTheTemplatesInTheListsAlphabeticalOrder) {
    ASSERT_EQ(app_.app().config.stegoModifierKey, 17);
    Edit({Do([&] {
        SelectPage(sheet_, kStegoPage);
        Click(Page(), IDC_STEGO_INS);
        PressOk(sheet_);
    })});

    const std::vector<std::string> sorted = [] {
        std::vector<std::string> list;
        for (const char* utf8 : {"Во сколько у нас встреча?", "Встретимся вечером, как договаривались.",
                                 "Как у тебя дела?", "Когда мы можем встретиться?",
                                 "Пожалуйста, позвони мне!", "Привет!", "Ты где?",
                                 "У меня для тебя есть новость", "У нас дождь!", "Я задержусь."}) {
            list.push_back(Cp1251::FromUtf8(utf8));
        }
        return list;
    }();
    const CConfig& record = app_.app().config;
    EXPECT_EQ(record.stegoModifierKey, 45);
    EXPECT_EQ(std::vector<std::string>(record.templateList.begin(), record.templateList.end()), sorted);
    const SettingsFile file = Parse(SettingsBytes());
    EXPECT_EQ(NumericField(file, 34, 2), 45u) << "INS";
    EXPECT_EQ(file.ownTemplate, ">");
    EXPECT_EQ(file.count, 10u);
    EXPECT_EQ(file.templates, sorted);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EditSettingsTest, OkOnTheGeneralPageAloneRewritesOnlyItsValues) {
    const SettingsFile before = Parse(SettingsBytes());
    ASSERT_EQ(NumericField(before, 12, 4), 1u);
    Edit({Do([&] {
        Click(Page(), IDC_CFG_KEEP_PASSWORD);
        PressOk(sheet_);
    })});

    const SettingsFile after = Parse(SettingsBytes());
    EXPECT_EQ(app_.app().config.keepPassword, 0);
    EXPECT_EQ(NumericField(after, 12, 4), 0u) << "keepPassword";
    std::string expected = before.numeric;
    expected[12] = '\0';
    EXPECT_EQ(after.numeric, expected) << "no other field changes";
    EXPECT_EQ(after.ownTemplate, before.ownTemplate);
    EXPECT_EQ(after.templates, before.templates) << "the unopened page keeps the record's order";
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(LinkExists());
}

TEST_F(EditSettingsTest, TheLinkAndTheStartWithWindowsFollowTheBoxes) {
    Edit({Do([&] {
        Click(Page(), IDC_CFG_AUTOSTART);
        Click(Page(), IDC_CFG_DESKTOP_LINK);
        PressOk(sheet_);
    })});
    EXPECT_TRUE(RunValueExists());
    EXPECT_TRUE(DesktopLinkExists(app_.app()));
    EXPECT_EQ(desktop_.folder().EntryCount(), 1u) << "exactly the link";
    EXPECT_EQ(app_.app().config.autoStart, 1);
    EXPECT_EQ(app_.app().config.desktopLink, 1);
    SettingsFile file = Parse(SettingsBytes());
    EXPECT_EQ(NumericField(file, 0, 4), 1u) << "autoStart";
    EXPECT_EQ(NumericField(file, 8, 4), 1u) << "desktopLink";

    bool bothChecked = false;
    Edit({Do([&] {
        bothChecked = IsChecked(Page(), IDC_CFG_AUTOSTART) && IsChecked(Page(), IDC_CFG_DESKTOP_LINK);
        Click(Page(), IDC_CFG_AUTOSTART);
        Click(Page(), IDC_CFG_DESKTOP_LINK);
        PressOk(sheet_);
    })});
    EXPECT_TRUE(bothChecked);
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(DesktopLinkExists(app_.app()));
    EXPECT_EQ(desktop_.folder().EntryCount(), 0u);
    file = Parse(SettingsBytes());
    EXPECT_EQ(NumericField(file, 0, 4), 0u);
    EXPECT_EQ(NumericField(file, 8, 4), 0u);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EditSettingsTest, ALinkDeletedByHandComesBackWhenTheBoxStaysChecked) {
    app_.app().config.desktopLink = 1;
    ASSERT_FALSE(DesktopLinkExists(app_.app()));
    Edit({Do([&] { PressOk(sheet_); })});
    EXPECT_TRUE(DesktopLinkExists(app_.app()));
    EXPECT_FALSE(RunValueExists()) << "an unchanged autostart box touches no registry value";
}

BOOL CALLBACK CountSheets(HWND window, LPARAM count) {
    if (IsWindowVisible(window) && WindowText(window) == Cp1251::FromUtf8("Настройка")) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

// The tray menu still works while the sheet is open: its command must not open a second
// sheet whose values the first one's OK would then overwrite.
TEST_F(EditSettingsTest, TheCommandWhileTheSheetIsOpenOpensNoSecondOne) {
    int sheets = -1;
    Edit({Do([&] {
        Click(Page(), IDC_CFG_KEEP_PASSWORD);
        EditSettings(GetModuleHandleA(nullptr), mainWindow_.hwnd(), app_.app(), messages_);
        sheets = 0;
        EnumThreadWindows(GetCurrentThreadId(), &CountSheets, reinterpret_cast<LPARAM>(&sheets));
        PressOk(sheet_);
    })});
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(app_.app().config.keepPassword, 0) << "the open sheet's OK still counts";
}

TEST_F(EditSettingsTest, SwitchingTheNoteOnRebuildsItAtOnce) {
    const std::string notePath = std::string(app_.app().programDir) + "msgtext.txt";
    {
        HANDLE file = CreateFileA(notePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const char note[] = "A\r\nB";
        DWORD written = 0;
        WriteFile(file, note, sizeof note - 1, &written, nullptr);
        CloseHandle(file);
    }
    Edit({Do([&] {
        SelectPage(sheet_, kTextPage);
        Click(Page(), IDC_CFG_ADD_INFO_NOTE);
        PressOk(sheet_);
    })});
    const std::string rule(50, '_');
    EXPECT_EQ(app_.app().config.addInfoNote, 1);
    EXPECT_EQ(app_.app().infoNoteText, "A\r\nB\r\n" + rule + "\r\n");
    EXPECT_EQ(app_.app().infoNoteHtml, "A<br>B<br>" + rule + "<br>");
    EXPECT_EQ(NumericField(Parse(SettingsBytes()), 22, 4), 1u) << "addInfoNote";
}

}  // namespace
}  // namespace velkaro
