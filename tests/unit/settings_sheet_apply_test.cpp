// What OK of the settings sheet does to the record, the desktop link, the start with Windows,
// the informational note and the settings file (ApplySettingsSheet), and how the pages take
// their values from the record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "apply_settings_sheet.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "recording_sink.h"
#include "settings_archive.h"
#include "settings_sheet_values.h"
#include "string_ids.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

// The shell as the tests see it: a desktop link that is there or not, creations and
// deletions that may fail, and every call in order.
class FakeShell : public ShellIntegration {
public:
    bool DesktopLinkExists() override {
        calls.push_back("exists");
        return linkExists;
    }
    bool CreateDesktopLink() override {
        calls.push_back("create");
        if (createFails) return false;
        linkExists = true;
        return true;
    }
    bool DeleteDesktopLink() override {
        calls.push_back("delete");
        if (deleteFails) return false;
        linkExists = false;
        return true;
    }
    bool SetAutoStart(bool on) override {
        calls.push_back(on ? "autostart on" : "autostart off");
        return !autoStartRefused;
    }

    bool linkExists = false;
    bool createFails = false;
    bool deleteFails = false;
    bool autoStartRefused = false;
    std::vector<std::string> calls;
};

std::vector<std::string> Lines(const std::vector<const char*>& utf8) {
    std::vector<std::string> lines;
    for (const char* text : utf8) lines.push_back(Cp1251::FromUtf8(text));
    return lines;
}

std::vector<std::string> ListOf(const CConfig& record) {
    return std::vector<std::string>(record.templateList.begin(), record.templateList.end());
}

// The bytes SaveSettingsFile writes for the record as it is.
std::string FileBytesOf(CConfig& record) {
    SettingsArchive archive = SettingsArchive::ForWriting();
    record.SerializeSettings(archive);
    return archive.Bytes();
}

class SettingsSheetApplyTest : public ::testing::Test {
protected:
    SettingsSheetApplyTest() {
        // A record that differs from the defaults on every page.
        dir_.Write("velkaro.ini", std::string());
        app_ = std::make_unique<AppState>(platform_);
        CConfig& record = app_->config;
        record.autoStart = 0;
        record.desktopLink = 0;
        record.keepPassword = 1;
        record.colourBackground = 1;
        record.addInfoNote = 0;
        record.offerTemplateList = 1;
        record.stegoModifierKey = 17;
        record.ownTemplate = "own";
        record.templateList = {"b-second", "a-first", "c-third"};
        record.templateCount = 3;
        record.SaveSettingsFile(record.PathName());
        platform_.ClearRecords();
    }

    // What the sheet hands back when the user changes nothing: every page as it took the
    // record's values, none but the General page opened.
    SettingsSheetValues Unchanged() const {
        SettingsSheetValues values;
        values.general = GeneralPageValues::FromRecord(app_->config);
        values.text = TextPageValues::FromRecord(app_->config);
        values.stego = StegoPageValues::FromRecord(app_->config);
        return values;
    }

    void Apply(const SettingsSheetValues& values) {
        ApplySettingsSheet(values, *app_, shell_, sink_);
    }

    // A record loaded afresh from the settings file.
    std::unique_ptr<AppState> Reload() {
        auto reloaded = std::make_unique<AppState>(platform_);
        EXPECT_TRUE(platform_.Messages().empty()) << "the file written reads back silently";
        return reloaded;
    }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_;
    FakeShell shell_;
    RecordingSink sink_;
};

// ---------------------------------------------------------------------------------------------
// Which pages count

TEST_F(SettingsSheetApplyTest, OkWithOnlyTheGeneralPageChangesOnlyItsValuesAndRewritesTheFile) {
    SettingsSheetValues values = Unchanged();
    values.general.keepPassword = 0;
    values.general.eraseKeysWhenIdle = 1;
    values.general.unloadWhenIdle = 1;
    values.general.idleMinutes = 25;
    // Values the unopened pages happen to hold must not reach the record.
    values.text.colourBackground = 0;
    values.text.addInfoNote = 1;
    values.stego.stegoModifierKey = 45;
    values.stego.ownTemplate = "changed";
    values.stego.templateList = {"x"};
    values.stego.templateCount = 1;
    dir_.Remove("velkaro.ini");

    Apply(values);

    const CConfig& record = app_->config;
    EXPECT_EQ(record.keepPassword, 0);
    EXPECT_EQ(record.eraseKeysWhenIdle, 1);
    EXPECT_EQ(record.unloadWhenIdle, 1);
    EXPECT_EQ(record.idleMinutes, 25);
    EXPECT_EQ(record.colourBackground, 1);
    EXPECT_EQ(record.addInfoNote, 0);
    EXPECT_TRUE(app_->infoNoteText.empty());
    EXPECT_EQ(record.stegoModifierKey, 17);
    EXPECT_EQ(record.ownTemplate, "own");
    EXPECT_EQ(ListOf(record), (std::vector<std::string>{"b-second", "a-first", "c-third"}));
    EXPECT_EQ(dir_.Read("velkaro.ini"), FileBytesOf(app_->config));
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(SettingsSheetApplyTest, UnchangedSheetStillRewritesTheSameFile) {
    const std::string before = dir_.Read("velkaro.ini");
    dir_.Write("velkaro.ini", "stale");
    Apply(Unchanged());
    EXPECT_EQ(dir_.Read("velkaro.ini"), before);
    EXPECT_EQ(shell_.calls, std::vector<std::string>{"exists"}) << "nothing to create or register";
}

TEST_F(SettingsSheetApplyTest, AcceptedValuesReadBackFromTheFile) {
    SettingsSheetValues values = Unchanged();
    values.general.keepPassword = 0;
    values.general.idleMinutes = 30;
    values.textPageSeen = true;
    values.text.colourBackground = 0;
    values.stegoPageSeen = true;
    values.stego.offerTemplateList = 0;
    values.stego.stegoModifierKey = 16;
    values.stego.ownTemplate = Cp1251::FromUtf8("Мой шаблон");
    values.stego.templateList = {"a-first", "b-second", "c-third"};
    Apply(values);

    auto reloaded = Reload();
    const CConfig& record = reloaded->config;
    EXPECT_EQ(record.keepPassword, 0);
    EXPECT_EQ(record.idleMinutes, 30);
    EXPECT_EQ(record.colourBackground, 0);
    EXPECT_EQ(record.offerTemplateList, 0);
    EXPECT_EQ(record.stegoModifierKey, 16);
    EXPECT_EQ(record.ownTemplate, Cp1251::FromUtf8("Мой шаблон"));
    EXPECT_EQ(ListOf(record), (std::vector<std::string>{"a-first", "b-second", "c-third"}));
    EXPECT_EQ(record.templateCount, 3);
}

// ---------------------------------------------------------------------------------------------
// The desktop link and the start with Windows

struct ShellCase {
    const char* name;
    int32_t recordAutoStart;
    int32_t pageAutoStart;
    int32_t pageDesktopLink;
    bool linkExists;
    bool createFails;
    bool deleteFails;
    bool autoStartRefused;
    std::vector<std::string> calls;
    std::vector<uint32_t> messages;
    int32_t storedDesktopLink;
    int32_t storedAutoStart;
};

class SettingsSheetShellTest : public SettingsSheetApplyTest,
                               public ::testing::WithParamInterface<ShellCase> {};

TEST_P(SettingsSheetShellTest, LinkByItsPresenceThenAutostartOnlyOnChange) {
    const ShellCase& c = GetParam();
    app_->config.autoStart = c.recordAutoStart;
    shell_.linkExists = c.linkExists;
    shell_.createFails = c.createFails;
    shell_.deleteFails = c.deleteFails;
    shell_.autoStartRefused = c.autoStartRefused;
    SettingsSheetValues values = Unchanged();
    values.general.autoStart = c.pageAutoStart;
    values.general.desktopLink = c.pageDesktopLink;

    Apply(values);

    EXPECT_EQ(shell_.calls, c.calls);
    EXPECT_EQ(sink_.Ids(), c.messages);
    for (const RecordingSink::Shown& shown : sink_.shown) EXPECT_EQ(shown.style, kStyleStop);
    EXPECT_EQ(app_->config.desktopLink, c.storedDesktopLink);
    EXPECT_EQ(app_->config.autoStart, c.storedAutoStart);
    auto reloaded = Reload();
    EXPECT_EQ(reloaded->config.desktopLink, c.storedDesktopLink) << "the file is written all the same";
    EXPECT_EQ(reloaded->config.autoStart, c.storedAutoStart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSheetShellTest,
    ::testing::Values(
        ShellCase{"NothingToDo", 0, 0, 0, false, false, false, false, {"exists"}, {}, 0, 0},
        ShellCase{"LinkWantedAndThere", 0, 0, 1, true, false, false, false, {"exists"}, {}, 1, 0},
        // A link the user deleted by hand comes back.
        ShellCase{"LinkWantedAndMissing", 0, 0, 1, false, false, false, false,
                  {"exists", "create"}, {}, 1, 0},
        ShellCase{"LinkUnwantedAndThere", 0, 0, 0, true, false, false, false,
                  {"exists", "delete"}, {}, 0, 0},
        // A desktop that cannot be written: the user is told and the record says no link.
        ShellCase{"CreateFails", 0, 0, 1, false, true, false, false,
                  {"exists", "create", "exists"}, {IDS_DESKTOP_LINK_FAILED}, 0, 0},
        ShellCase{"DeleteFails", 0, 0, 0, true, false, true, false,
                  {"exists", "delete", "exists"}, {IDS_DESKTOP_LINK_DELETE_FAILED}, 1, 0},
        ShellCase{"AutostartSwitchedOn", 0, 1, 0, false, false, false, false,
                  {"exists", "autostart on"}, {}, 0, 1},
        ShellCase{"AutostartSwitchedOff", 1, 0, 0, false, false, false, false,
                  {"exists", "autostart off"}, {}, 0, 0},
        ShellCase{"AutostartLeftOn", 1, 1, 0, false, false, false, false, {"exists"}, {}, 0, 1},
        // A stored 2 shows as a checked box: leaving it checked is no change.
        ShellCase{"AutostartStoredAsTwoLeftOn", 2, 1, 0, false, false, false, false,
                  {"exists"}, {}, 0, 1},
        // The refusal's message comes from the shell side; the choice is kept.
        ShellCase{"AutostartRefused", 0, 1, 0, false, false, false, true,
                  {"exists", "autostart on"}, {}, 0, 1},
        ShellCase{"LinkBeforeAutostart", 0, 1, 1, false, false, false, false,
                  {"exists", "create", "autostart on"}, {}, 1, 1}),
    [](const ::testing::TestParamInfo<ShellCase>& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------------------------
// The informational note

struct NoteCase {
    const char* name;
    bool pageSeen;
    int32_t recordNote;
    int32_t pageNote;
    bool rebuilt;
    int32_t stored;
};

class SettingsSheetNoteTest : public SettingsSheetApplyTest,
                              public ::testing::WithParamInterface<NoteCase> {};

TEST_P(SettingsSheetNoteTest, SwitchingTheNoteOnRebuildsItsForms) {
    const NoteCase& c = GetParam();
    app_->config.addInfoNote = c.recordNote;
    app_->infoNoteText = "old plain form";
    app_->infoNoteHtml = "old html form";
    dir_.Write("msgtext.txt", "A\r\nB");
    SettingsSheetValues values = Unchanged();
    values.textPageSeen = c.pageSeen;
    values.text.addInfoNote = c.pageNote;

    Apply(values);

    const std::string rule(50, '_');
    EXPECT_EQ(app_->config.addInfoNote, c.stored);
    if (c.rebuilt) {
        EXPECT_EQ(app_->infoNoteText, "A\r\nB\r\n" + rule + "\r\n");
        EXPECT_EQ(app_->infoNoteHtml, "A<br>B<br>" + rule + "<br>");
    } else {
        EXPECT_EQ(app_->infoNoteText, "old plain form");
        EXPECT_EQ(app_->infoNoteHtml, "old html form");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSheetNoteTest,
    ::testing::Values(NoteCase{"SwitchedOn", true, 0, 1, true, 1},
                      NoteCase{"LeftOn", true, 1, 1, false, 1},
                      NoteCase{"SwitchedOff", true, 1, 0, false, 0},
                      NoteCase{"LeftOff", true, 0, 0, false, 0},
                      NoteCase{"PageNotOpened", false, 0, 1, false, 0}),
    [](const ::testing::TestParamInfo<NoteCase>& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------------------------
// The Steganography page's templates

TEST_F(SettingsSheetApplyTest, TemplatesAreStoredInThePagesOrder) {
    SettingsSheetValues values = Unchanged();
    values.stegoPageSeen = true;
    // The sorted list box hands them back alphabetically.
    const std::vector<std::string> sorted = Lines({"Как у тебя дела?", "Привет!", "Ты где?"});
    values.stego.templateList.assign(sorted.begin(), sorted.end());
    values.stego.templateCount = 3;
    Apply(values);

    EXPECT_EQ(ListOf(app_->config), sorted);
    EXPECT_EQ(app_->config.templateCount, 3);
    const std::string file = dir_.Read("velkaro.ini");
    const std::string tail = "own\n\x03" + sorted[0] + "\n" + sorted[1] + "\n" + sorted[2] + "\n";
    ASSERT_GE(file.size(), tail.size());
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
}

struct TemplateCase {
    const char* name;
    std::vector<std::string> pageList;
    int32_t pageCount;
    std::string ownTemplate;
    std::vector<std::string> storedList;
    std::string storedOwn;
};

class SettingsSheetTemplateTest : public SettingsSheetApplyTest,
                                  public ::testing::WithParamInterface<TemplateCase> {};

TEST_P(SettingsSheetTemplateTest, TheFileKeepsWhatTheRecordHolds) {
    const TemplateCase& c = GetParam();
    SettingsSheetValues values = Unchanged();
    values.stegoPageSeen = true;
    values.stego.templateList.assign(c.pageList.begin(), c.pageList.end());
    values.stego.templateCount = c.pageCount;
    values.stego.ownTemplate = c.ownTemplate;
    Apply(values);

    EXPECT_EQ(ListOf(app_->config), c.storedList);
    EXPECT_EQ(app_->config.templateCount, c.storedList.size());
    EXPECT_EQ(app_->config.ownTemplate, c.storedOwn);
    auto reloaded = Reload();
    EXPECT_EQ(ListOf(reloaded->config), c.storedList) << "every template stored reads back";
    EXPECT_EQ(reloaded->config.ownTemplate, c.storedOwn);
}

const std::string k78(78, 'x');
const std::string k79(79, 'y');

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSheetTemplateTest,
    ::testing::Values(
        TemplateCase{"FirstCountEntries", {"a", "b", "c", "d"}, 2, "own", {"a", "b"}, "own"},
        // Only the count's low 8 bits reach the record.
        TemplateCase{"CountLow8Bits", {"a", "b", "c"}, 256 + 1, "own", {"a"}, "own"},
        TemplateCase{"CountOf256IsNone", {"a", "b"}, 256, "own", {}, "own"},
        TemplateCase{"EmptyList", {}, 0, "own", {}, "own"},
        TemplateCase{"CountBeyondTheList", {"a"}, 5, "own", {"a"}, "own"},
        // What would break the file's lines is mended on the way in.
        TemplateCase{"LineBreaksCutTheText", {"a\r\nb", "c\nd"}, 2, "x\ny", {"a", "c"}, "x"},
        TemplateCase{"LongTextsCutTo78", {k79}, 1, k79, {std::string(78, 'y')}, std::string(78, 'y')},
        TemplateCase{"SeventyEightKept", {k78}, 1, k78, {k78}, k78},
        TemplateCase{"EmptyTemplatesLeftOut", {"", "a", ""}, 3, "own", {"a"}, "own"},
        TemplateCase{"EmptyOwnTemplateIsTheDefault", {"a"}, 1, "", {"a"}, ">"}),
    [](const ::testing::TestParamInfo<TemplateCase>& p) { return std::string(p.param.name); });

TEST_F(SettingsSheetApplyTest, StegoValuesAreTakenFromTheOpenedPage) {
    SettingsSheetValues values = Unchanged();
    values.stegoPageSeen = true;
    values.stego.stegoModifierKey = 45;  // INS
    values.stego.offerTemplateList = 0;
    Apply(values);
    EXPECT_EQ(app_->config.stegoModifierKey, 45);
    EXPECT_EQ(app_->config.offerTemplateList, 0);
    EXPECT_EQ(ListOf(app_->config), (std::vector<std::string>{"b-second", "a-first", "c-third"}))
        << "clearing the offer keeps the list";
}

// ---------------------------------------------------------------------------------------------
// The pages' values taken from the record

TEST(SettingsSheetValues, PagesTakeTheRecordsValues) {
    TempDir dir;
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    AppState app(platform);
    CConfig& record = app.config;
    record.autoStart = 1;
    record.eraseKeysWhenIdle = 1;
    record.desktopLink = 1;
    record.keepPassword = 0;
    record.unloadWhenIdle = 0;
    record.idleMinutes = 30;
    record.colourBackground = 0;
    record.addInfoNote = 1;
    record.stegoModifierKey = 16;
    record.offerTemplateList = 0;
    record.ownTemplate = "mine";
    record.templateList = {"z", "a"};
    record.templateCount = 7;  // the page counts the list itself

    GeneralPageValues general = GeneralPageValues::FromRecord(record);
    EXPECT_EQ(general.autoStart, 1);
    EXPECT_EQ(general.eraseKeysWhenIdle, 1);
    EXPECT_EQ(general.desktopLink, 1);
    EXPECT_EQ(general.keepPassword, 0);
    EXPECT_EQ(general.unloadWhenIdle, 0);
    EXPECT_EQ(general.idleMinutes, 30);
    EXPECT_TRUE(general.IdleMinutesEnabled());
    record.idleMinutes = 31;
    EXPECT_EQ(GeneralPageValues::FromRecord(record).idleMinutes, 0) << "out of range shows as 0";
    record.eraseKeysWhenIdle = 0;
    EXPECT_FALSE(GeneralPageValues::FromRecord(record).IdleMinutesEnabled());

    TextPageValues text = TextPageValues::FromRecord(record);
    EXPECT_EQ(text.colourBackground, 0);
    EXPECT_EQ(text.addInfoNote, 1);

    StegoPageValues stego = StegoPageValues::FromRecord(record);
    EXPECT_EQ(stego.stegoModifierKey, 16);
    EXPECT_EQ(stego.offerTemplateList, 0);
    EXPECT_EQ(stego.ownTemplate, "mine");
    EXPECT_EQ(stego.templateCount, 2);
    EXPECT_EQ(std::vector<std::string>(stego.templateList.begin(), stego.templateList.end()),
              (std::vector<std::string>{"z", "a"}));
}

TEST(SettingsSheetValues, ModifierKeysInTheOrderOfTheRadioButtons) {
    struct Case {
        uint16_t key;
        int index;
    };
    for (const Case& c : {Case{17, 0}, Case{16, 1}, Case{45, 2}, Case{0, -1}, Case{18, -1}}) {
        EXPECT_EQ(StegoModifierKeyIndex(c.key), c.index) << "key " << c.key;
    }
}

TEST(SettingsSheetValues, TextsThroughAnEightyByteBuffer) {
    EXPECT_EQ(ThroughBuffer(std::string(100, 'q'), 80), std::string(79, 'q'));
    EXPECT_EQ(ThroughBuffer(std::string("ab\0cd", 5), 80), "ab");
    EXPECT_EQ(ThroughBuffer("abc", 0), "");
}

}  // namespace
}  // namespace velkaro
