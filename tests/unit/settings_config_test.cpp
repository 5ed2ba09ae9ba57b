// CConfig: the settings file velkaro.ini, its defaults, its loading rules and its saving.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "message_sink.h"
#include "settings_archive.h"
#include "string_ids.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

const std::string kCaption = Cp1251::FromUtf8("Velkaro Stego Версия 3.1");

// The ten default cover texts, in the order of string ids 32820..32829, as the program's
// description of the settings record lists them.
const std::vector<std::string> kDefaultTemplatesUtf8 = {
    "Привет!", "Ты где?", "Когда мы можем встретиться?", "Пожалуйста, позвони мне!",
    "Во сколько у нас встреча?", "Как у тебя дела?", "Я задержусь.", "У нас дождь!",
    "У меня для тебя есть новость", "Встретимся вечером, как договаривались."};

std::vector<std::string> DefaultTemplates() {
    std::vector<std::string> list;
    for (const std::string& t : kDefaultTemplatesUtf8) list.push_back(Cp1251::FromUtf8(t));
    return list;
}

// The file SetDefaults writes, spelled from the layout: ten numeric fields, ">" LF, the count
// byte 0x0A, then each default template and LF.
std::string DefaultFileBytes() {
    const unsigned char numeric[36] = {
        0x00, 0x00, 0x00, 0x00,  // autoStart
        0x00, 0x00, 0x00, 0x00,  // eraseKeysWhenIdle
        0x00, 0x00, 0x00, 0x00,  // desktopLink
        0x01, 0x00, 0x00, 0x00,  // keepPassword
        0x00, 0x00, 0x00, 0x00,  // unloadWhenIdle
        0x00, 0x00,              // idleMinutes
        0x00, 0x00, 0x00, 0x00,  // addInfoNote
        0x01, 0x00, 0x00, 0x00,  // colourBackground
        0x01, 0x00, 0x00, 0x00,  // offerTemplateList
        0x11, 0x00,              // stegoModifierKey: VK_CONTROL
    };
    std::string bytes(reinterpret_cast<const char*>(numeric), sizeof numeric);
    bytes += ">\n";
    bytes += '\x0A';
    for (const std::string& t : DefaultTemplates()) bytes += t + "\n";
    return bytes;
}

// The 36 numeric bytes of the defaults, for files built by the tests.
std::string DefaultNumericBytes() { return DefaultFileBytes().substr(0, 36); }

std::vector<std::string> ListOf(const CConfig& config) {
    return std::vector<std::string>(config.templateList.begin(), config.templateList.end());
}

void ExpectDefaults(const CConfig& config) {
    EXPECT_EQ(config.autoStart, 0);
    EXPECT_EQ(config.eraseKeysWhenIdle, 0);
    EXPECT_EQ(config.desktopLink, 0);
    EXPECT_EQ(config.keepPassword, 1);
    EXPECT_EQ(config.unloadWhenIdle, 0);
    EXPECT_EQ(config.idleMinutes, 0);
    EXPECT_EQ(config.addInfoNote, 0);
    EXPECT_EQ(config.colourBackground, 1);
    EXPECT_EQ(config.offerTemplateList, 1);
    EXPECT_EQ(config.stegoModifierKey, 17);
    EXPECT_EQ(config.ownTemplate, ">");
    EXPECT_EQ(config.templateCount, 10);
    EXPECT_EQ(ListOf(config), DefaultTemplates());
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::unique_ptr<CConfig> Load() { return std::make_unique<CConfig>(platform_); }
    std::string IniBytes() const { return dir_.Read("velkaro.ini"); }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
};

TEST_F(SettingsFileTest, DefaultFileIs246BytesInTheLayout) {
    std::string expected = DefaultFileBytes();
    ASSERT_EQ(expected.size(), 246u);
    auto config = Load();
    EXPECT_EQ(config->PathName(), dir_.File("velkaro.ini"));
    EXPECT_EQ(IniBytes(), expected);
    ExpectDefaults(*config);
}

TEST_F(SettingsFileTest, MissingFileShowsTheMessageOnceThenLoadsSilently) {
    auto first = Load();
    ASSERT_EQ(platform_.Messages().size(), 1u);
    const FakeAppPlatform::Message& shown = platform_.Messages()[0];
    std::string full = Cp1251::FromUtf8(LookupString(IDS_SETTINGS_MISSING));
    ASSERT_GT(full.size(), 59u);  // longer than a 60-byte buffer would let through
    ASSERT_LT(full.size(), 80u);
    EXPECT_EQ(shown.text, full);
    EXPECT_EQ(shown.caption, kCaption);
    EXPECT_EQ(shown.style, uint32_t(kStyleInformation));
    bool loadedThrough80 = false;
    for (const auto& load : platform_.Loads()) {
        if (load.id == IDS_SETTINGS_MISSING) loadedThrough80 = load.capacity == 80;
    }
    EXPECT_TRUE(loadedThrough80);
    EXPECT_EQ(first->OpenSettingsFile(first->PathName()), 1);

    platform_.ClearRecords();
    auto second = Load();
    EXPECT_TRUE(platform_.Messages().empty());
    ExpectDefaults(*second);
    EXPECT_EQ(IniBytes(), DefaultFileBytes());
}

TEST_F(SettingsFileTest, OpenSettingsFileAnswersZeroForAMissingFile) {
    auto config = Load();
    platform_.ClearRecords();
    EXPECT_EQ(config->OpenSettingsFile(dir_.File("other.ini")), 0);
    EXPECT_EQ(platform_.Messages().size(), 1u);
    // The defaults are saved under the record's own path name, not the path asked for.
    EXPECT_FALSE(dir_.Exists("other.ini"));
}

struct LoadCase {
    const char* name;
    std::string fileBytes;
    std::string ownTemplate;
    std::vector<std::string> templates;  // templateCount is their number
};

std::string FileWith(const std::string& ownLine, uint8_t count, const std::string& lines) {
    return DefaultNumericBytes() + ownLine + std::string(1, char(count)) + lines;
}

std::string Lines(const std::vector<std::string>& lines, const char* end = "\n") {
    std::string text;
    for (const std::string& l : lines) text += l + end;
    return text;
}

const std::string k78(78, 'x');
const std::string k79(79, 'y');

class SettingsLoadTest : public SettingsFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoadTest, ReadsOwnTemplateAndList) {
    dir_.Write("velkaro.ini", GetParam().fileBytes);
    auto config = Load();
    EXPECT_TRUE(platform_.Messages().empty());
    EXPECT_EQ(config->ownTemplate, GetParam().ownTemplate);
    EXPECT_EQ(ListOf(*config), GetParam().templates);
    EXPECT_EQ(config->templateCount, GetParam().templates.size());
    // The numeric fields are read whatever the lines hold, and a load never writes the file.
    EXPECT_EQ(config->stegoModifierKey, 17);
    EXPECT_EQ(config->keepPassword, 1);
    EXPECT_EQ(IniBytes(), GetParam().fileBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"Defaults", DefaultFileBytes(), ">", DefaultTemplates()},
        LoadCase{"CrLfReadsLikeLf", FileWith(">\r\n", 10, Lines(DefaultTemplates(), "\r\n")), ">",
                 DefaultTemplates()},
        LoadCase{"CrAloneEatsTheNextByte", FileWith("own\rZ", 2, "a\rZb\n"), "own", {"a", "b"}},
        LoadCase{"OwnTemplateEmpty", FileWith("\n", 2, "a\nb\n"), ">", {"a", "b"}},
        LoadCase{"OwnTemplate78Kept", FileWith(k78 + "\n", 1, "a\n"), k78, {"a"}},
        LoadCase{"OwnTemplate79", FileWith(k79 + "\n", 1, "a\n"), ">", {"a"}},
        LoadCase{"Count12With5Lines", FileWith("o\n", 12, "1\n2\n3\n4\n5\n"), "o", {"1", "2", "3", "4", "5"}},
        LoadCase{"Count64", FileWith("o\n", 64, "1\n"), "o", {"1"}},
        LoadCase{"Count65", FileWith("o\n", 65, "1\n2\n"), "o", {}},
        LoadCase{"Count0", FileWith("o\n", 0, "1\n2\n"), "o", {}},
        LoadCase{"Count255", FileWith("o\n", 255, "1\n"), "o", {}},
        LoadCase{"Template79StopsTheList", FileWith("o\n", 4, "a\n" + k79 + "\nc\nd\n"), "o", {"a"}},
        LoadCase{"Template78Kept", FileWith("o\n", 2, k78 + "\nb\n"), "o", {k78, "b"}},
        LoadCase{"EmptyLineStopsTheList", FileWith("o\n", 3, "a\n\nc\n"), "o", {"a"}},
        LoadCase{"ExtraLinesIgnored", FileWith("o\n", 1, "a\nb\n"), "o", {"a"}},
        LoadCase{"LastLineWithoutLf", FileWith("o\n", 2, "a\nbc"), "o", {"a", "bc"}},
        LoadCase{"EndsAfterTheCountByte", FileWith("o\n", 3, ""), "o", {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsFileTest, NumericFieldsAreLittleEndianAndNotRangeChecked) {
    std::string bytes = DefaultFileBytes();
    bytes[0] = '\x01';                  // autoStart
    bytes[8] = '\xFF', bytes[9] = '\xFF', bytes[10] = '\xFF', bytes[11] = '\xFF';  // desktopLink -1
    bytes[20] = '\x2C', bytes[21] = '\x01';  // idleMinutes 300
    bytes[34] = '\x41', bytes[35] = '\x00';  // stegoModifierKey 'A'
    dir_.Write("velkaro.ini", bytes);
    auto config = Load();
    EXPECT_EQ(config->autoStart, 1);
    EXPECT_EQ(config->desktopLink, -1);
    EXPECT_EQ(config->idleMinutes, 300);
    EXPECT_EQ(config->stegoModifierKey, 0x41);
    EXPECT_TRUE(platform_.Messages().empty());
}

TEST_F(SettingsFileTest, EmptyFileKeepsTheConstructedRecord) {
    dir_.Write("velkaro.ini", "");
    auto config = Load();
    EXPECT_TRUE(platform_.Messages().empty());
    EXPECT_EQ(config->keepPassword, 0);
    EXPECT_EQ(config->colourBackground, 0);
    EXPECT_EQ(config->stegoModifierKey, 0);
    EXPECT_EQ(config->templateCount, 0);
    EXPECT_TRUE(config->ownTemplate.empty());
    EXPECT_TRUE(config->templateList.empty());
    EXPECT_EQ(IniBytes(), "");
}

struct CutCase {
    const char* name;
    size_t keep;  // bytes of the default file left
};

class SettingsCutTest : public SettingsFileTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(SettingsCutTest, UnexpectedFormatThenDefaultsRewritten) {
    std::string cut = DefaultFileBytes().substr(0, GetParam().keep);
    // Values that differ from the defaults, so that a load that kept them would show.
    cut[0] = '\x01';
    cut[12] = '\x00';
    dir_.Write("velkaro.ini", cut);
    auto config = Load();
    ASSERT_EQ(platform_.Messages().size(), 1u);
    EXPECT_EQ(platform_.Messages()[0].text, "Unexpected file format.");
    EXPECT_EQ(platform_.Messages()[0].caption, kCaption);
    EXPECT_EQ(platform_.Messages()[0].style, 0x00010030u);  // exclamation, set foreground
    ExpectDefaults(*config);
    EXPECT_EQ(IniBytes(), DefaultFileBytes());
}

INSTANTIATE_TEST_SUITE_P(Cuts, SettingsCutTest,
                         ::testing::Values(CutCase{"After1Byte", 1}, CutCase{"After20Bytes", 20},
                                           CutCase{"InsideTheLastField", 35},
                                           CutCase{"AfterTheNumericFields", 36},
                                           CutCase{"BeforeTheCountByte", 38}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsFileTest, RoundTripOfOtherValues) {
    auto config = Load();
    config->autoStart = 1;
    config->eraseKeysWhenIdle = 1;
    config->desktopLink = 1;
    config->keepPassword = 0;
    config->unloadWhenIdle = 1;
    config->idleMinutes = 30;
    config->addInfoNote = 1;
    config->colourBackground = 0;
    config->offerTemplateList = 0;
    config->stegoModifierKey = 45;
    config->ownTemplate = Cp1251::FromUtf8("Свой текст");
    config->templateList = {"one", k78, Cp1251::FromUtf8("три")};
    config->templateCount = 3;
    platform_.ClearRecords();
    ASSERT_TRUE(config->SaveSettingsFile(config->PathName()));
    EXPECT_TRUE(platform_.Messages().empty());

    std::string bytes = IniBytes();
    ASSERT_EQ(bytes.size(), 36u + 11 + 1 + 4 + 79 + 4);
    EXPECT_EQ(bytes.substr(20, 2), std::string("\x1E\x00", 2));  // idleMinutes
    EXPECT_EQ(bytes.substr(34, 2), std::string("\x2D\x00", 2));  // stegoModifierKey
    EXPECT_EQ(bytes[47], '\x03');                                // count byte after "Свой текст" LF

    auto reread = Load();
    EXPECT_EQ(reread->autoStart, 1);
    EXPECT_EQ(reread->eraseKeysWhenIdle, 1);
    EXPECT_EQ(reread->desktopLink, 1);
    EXPECT_EQ(reread->keepPassword, 0);
    EXPECT_EQ(reread->unloadWhenIdle, 1);
    EXPECT_EQ(reread->idleMinutes, 30);
    EXPECT_EQ(reread->addInfoNote, 1);
    EXPECT_EQ(reread->colourBackground, 0);
    EXPECT_EQ(reread->offerTemplateList, 0);
    EXPECT_EQ(reread->stegoModifierKey, 45);
    EXPECT_EQ(reread->ownTemplate, config->ownTemplate);
    EXPECT_EQ(ListOf(*reread), ListOf(*config));
    EXPECT_EQ(reread->templateCount, 3);
}

TEST_F(SettingsFileTest, CountAboveTheListWritesOnlyTheListsEntries) {
    auto config = Load();
    config->templateList = {"a", "b"};
    config->templateCount = 5;
    ASSERT_TRUE(config->SaveSettingsFile(config->PathName()));
    EXPECT_EQ(IniBytes().substr(36), std::string(">\n") + '\x02' + "a\nb\n");
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFile) {
    auto config = Load();
    // A file name just short of the file-name limit: the temporary name beside it is too
    // long, so the save fails before the old file could be touched.
    std::string name(250, 'k');
    std::string old = "old content\r\n";
    dir_.Write(name, old);
    platform_.ClearRecords();
    config->autoStart = 1;
    EXPECT_FALSE(config->SaveSettingsFile(dir_.File(name)));
    EXPECT_EQ(dir_.Read(name), old);
    EXPECT_EQ(dir_.EntryCount(), 2u);  // velkaro.ini and the old file, no temporary left
    ASSERT_EQ(platform_.Messages().size(), 1u);
    EXPECT_EQ(platform_.Messages()[0].text, Cp1251::FromUtf8(LookupString(IDS_SETTINGS_SAVE_FAILED)));
    EXPECT_EQ(platform_.Messages()[0].caption, kCaption);
    EXPECT_EQ(platform_.Messages()[0].style, uint32_t(kStyleStop));
    EXPECT_EQ(config->autoStart, 1);  // the values in memory stay in force
}

TEST_F(SettingsFileTest, SaveOverADirectoryFailsAndLeavesNoTemporary) {
    auto config = Load();
    dir_.MakeDirectory("taken/inner");
    platform_.ClearRecords();
    EXPECT_FALSE(config->SaveSettingsFile(dir_.File("taken")));
    EXPECT_TRUE(dir_.Exists("taken/inner"));
    EXPECT_EQ(dir_.EntryCount(), 2u);  // velkaro.ini and the directory
    EXPECT_EQ(platform_.Messages().size(), 1u);
}

TEST(SettingsUnwritableTest, DefaultsStayInMemoryWhenTheFileCannotBeWritten) {
    TempDir dir;
    dir.Write("file", "x");
    // The program's directory is a regular file: nothing can be created under it.
    FakeAppPlatform platform(dir.File("file") + "/velkaro.exe");
    CConfig config(platform);
    ASSERT_EQ(platform.Messages().size(), 2u);  // missing file, then the failed save
    EXPECT_EQ(platform.Messages()[0].style, uint32_t(kStyleInformation));
    EXPECT_EQ(platform.Messages()[1].style, uint32_t(kStyleStop));
    ExpectDefaults(config);
    EXPECT_EQ(dir.Read("file"), "x");
}

TEST(SettingsArchiveTest, ReadingRunsOutOfDataWithoutConsuming) {
    const uint8_t data[] = {0x34, 0x12, 0x78, 0x56, 0x01};
    SettingsArchive archive = SettingsArchive::ForReading(data, sizeof data);
    uint32_t wide = 0;
    uint16_t narrow = 0;
    uint8_t byte = 0;
    ASSERT_TRUE(archive.ReadU16(&narrow));
    EXPECT_EQ(narrow, 0x1234);
    EXPECT_FALSE(archive.ReadU32(&wide));  // three bytes left
    ASSERT_TRUE(archive.ReadU16(&narrow));
    EXPECT_EQ(narrow, 0x5678);
    ASSERT_TRUE(archive.ReadU8(&byte));
    EXPECT_EQ(byte, 1);
    EXPECT_FALSE(archive.ReadU8(&byte));
    EXPECT_TRUE(archive.AtEnd());
    EXPECT_EQ(archive.ReadLine(), "");
}

TEST(SettingsArchiveTest, WritingIsLittleEndian) {
    SettingsArchive archive = SettingsArchive::ForWriting();
    archive.WriteU32(0x04030201u);
    archive.WriteU16(0x0605);
    archive.WriteU8(0x07);
    archive.WriteLine("ab");
    EXPECT_TRUE(archive.IsStoring());
    EXPECT_EQ(archive.Bytes(), std::string("\x01\x02\x03\x04\x05\x06\x07" "ab\n"));
}

}  // namespace
}  // namespace velkaro
