// AppState construction: caption, sender tag, program paths, version flags and the note.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app_state.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "info_note.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

const std::string kCaptionUtf8 = "Velkaro Stego Версия 3.1";
const std::string kRule(50, '_');

// Every test gets its own program directory, so the settings file is written there.
class AppStateTest : public ::testing::Test {
protected:
    std::string ModulePath() const { return dir_.File("velkaro.exe"); }
    std::unique_ptr<AppState> Construct() { return std::make_unique<AppState>(platform_); }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
};

TEST_F(AppStateTest, CaptionSenderTagAndFreshFields) {
    auto state = Construct();
    EXPECT_EQ(state->programCaption, Cp1251::FromUtf8(kCaptionUtf8));
    uint8_t expectedTag[36] = {'@', '%'};
    EXPECT_EQ(std::memcmp(state->senderTag, expectedTag, sizeof expectedTag), 0);
    CipherKey zero = {};
    EXPECT_EQ(std::memcmp(&state->currentKey, &zero, sizeof zero), 0);
    EXPECT_EQ(state->keyPresent, 0);
    EXPECT_EQ(state->programPath[0], '\0');  // start-up sets it
    EXPECT_TRUE(state->coverText.empty());
    // No note without addInfoNote (the defaults have it off).
    EXPECT_TRUE(state->infoNoteText.empty());
    EXPECT_TRUE(state->infoNoteHtml.empty());
}

TEST_F(AppStateTest, ProgramDirIsTheModuleDirectory) {
    auto state = Construct();
    std::string dir = state->programDir;
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir + "velkaro.exe", ModulePath());
    EXPECT_EQ(std::string(state->helpPath), dir + "velkaro.CHM::/nazn.html");
}

struct VersionCase {
    const char* name;
    WindowsVersionInfo version;
    int other, nt4, xp, w2k;
};

class AppStateVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(AppStateVersionTest, ExactlyOneFlag) {
    TempDir dir;
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    platform.SetWindowsVersion(GetParam().version);
    AppState state(platform);
    EXPECT_EQ(state.isOtherWindows, GetParam().other);
    EXPECT_EQ(state.isNt4OrOlder, GetParam().nt4);
    EXPECT_EQ(state.isWindowsXp, GetParam().xp);
    EXPECT_EQ(state.isWindows2000, GetParam().w2k);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AppStateVersionTest,
    ::testing::Values(VersionCase{"CallFails", {false, 2, 5, 1}, 1, 0, 0, 0},
                      VersionCase{"Windows98", {true, 1, 4, 10}, 1, 0, 0, 0},
                      VersionCase{"Nt4", {true, 2, 4, 0}, 0, 1, 0, 0},
                      VersionCase{"Nt351", {true, 2, 3, 51}, 0, 1, 0, 0},
                      VersionCase{"Windows2000", {true, 2, 5, 0}, 0, 0, 0, 1},
                      VersionCase{"WindowsXp", {true, 2, 5, 1}, 0, 0, 1, 0},
                      VersionCase{"Server2003", {true, 2, 5, 2}, 1, 0, 0, 0},
                      VersionCase{"Vista", {true, 2, 6, 0}, 1, 0, 0, 0}),
    [](const auto& p) { return std::string(p.param.name); });

// The settings file a test writes before construction: the defaults with addInfoNote on.
std::string DefaultsWithNote() {
    std::string bytes(36, '\0');
    bytes[12] = 1;                          // keepPassword
    bytes[22] = 1;                          // addInfoNote
    bytes[26] = 1;                          // colourBackground
    bytes[30] = 1;                          // offerTemplateList
    bytes[34] = 17;                         // stegoModifierKey
    return bytes + ">\n" + std::string(1, '\0');  // own template, no templates
}

TEST_F(AppStateTest, NoteLoadedOnlyWithAddInfoNote) {
    dir_.Write("velkaro.ini", DefaultsWithNote());
    auto state = Construct();
    ASSERT_EQ(state->config.addInfoNote, 1);
    std::string text = Cp1251::FromUtf8("Сообщение зашифровано программой " + kCaptionUtf8);
    EXPECT_EQ(state->infoNoteText, text + "\r\n" + kRule + "\r\n");
    EXPECT_EQ(state->infoNoteHtml, text + "<br>" + kRule + "<br>");
    EXPECT_TRUE(platform_.Messages().empty());
}

TEST_F(AppStateTest, NoteFileBesideTheProgram) {
    dir_.Write("velkaro.ini", DefaultsWithNote());
    dir_.Write("msgtext.txt", "A\r\nB");
    auto state = Construct();
    EXPECT_EQ(state->infoNoteText, "A\r\nB\r\n" + kRule + "\r\n");
    EXPECT_EQ(state->infoNoteHtml, "A<br>B<br>" + kRule + "<br>");
}

}  // namespace
}  // namespace velkaro
