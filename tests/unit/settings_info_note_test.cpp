// The informational note: its file, its default text and its plain and HTML forms, as
// AppState::LoadInfoNote builds them.
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

const std::string kRule(50, '_');
const std::string kDefaultText = Cp1251::FromUtf8("Сообщение зашифровано программой Velkaro Stego Версия 3.1");

struct NoteCase {
    const char* name;
    bool fileExists;
    std::string fileBytes;
    std::string plain;  // infoNoteText
    std::string html;   // infoNoteHtml
};

// One program directory per case; the state is built without the note, then loads it.
class LoadInfoNoteTest : public ::testing::TestWithParam<NoteCase> {
protected:
    void SetUp() override {
        if (GetParam().fileExists) dir_.Write("msgtext.txt", GetParam().fileBytes);
        state_ = std::make_unique<AppState>(platform_);
        // Something a transform left behind, which the load must clear.
        std::memset(state_->scratchBuffer, 'S', 2048);
    }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> state_;
};

TEST_P(LoadInfoNoteTest, BuildsBothForms) {
    state_->LoadInfoNote();
    EXPECT_EQ(state_->infoNoteText, GetParam().plain);
    EXPECT_EQ(state_->infoNoteHtml, GetParam().html);
}

TEST_P(LoadInfoNoteTest, SecondLoadGivesTheSameAndClearsTheReadBuffer) {
    state_->LoadInfoNote();
    state_->LoadInfoNote();
    EXPECT_EQ(state_->infoNoteText, GetParam().plain);
    EXPECT_EQ(state_->infoNoteHtml, GetParam().html);
    EXPECT_EQ(std::string(state_->scratchBuffer, 1024), std::string(1024, '\0'));
    EXPECT_EQ(state_->scratchBuffer[1024], 'S');  // only the first 1024 bytes serve the note
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadInfoNoteTest,
    ::testing::Values(
        NoteCase{"Missing", false, "", kDefaultText + "\r\n" + kRule + "\r\n",
                 kDefaultText + "<br>" + kRule + "<br>"},
        NoteCase{"Empty", true, "", kDefaultText + "\r\n" + kRule + "\r\n",
                 kDefaultText + "<br>" + kRule + "<br>"},
        NoteCase{"OneLine", true, "Note", "Note\r\n" + kRule + "\r\n", "Note<br>" + kRule + "<br>"},
        NoteCase{"ThreeCrLfLines", true, "A\r\nB\r\nC", "A\r\nB\r\nC\r\n" + kRule + "\r\n",
                 "A<br>B<br>C<br>" + kRule + "<br>"},
        NoteCase{"LfOnlyKept", true, "A\nB", "A\nB\r\n" + kRule + "\r\n", "A\nB<br>" + kRule + "<br>"},
        NoteCase{"LoneCrIsABreak", true, "A\rB", "A\rB\r\n" + kRule + "\r\n", "A<br>B<br>" + kRule + "<br>"},
        NoteCase{"EndsInCrLf", true, "A\r\n", "A\r\n\r\n" + kRule + "\r\n", "A<br><br>" + kRule + "<br>"},
        NoteCase{"ZeroByteEndsTheText", true, std::string("ab\0cd", 5), "ab\r\n" + kRule + "\r\n",
                 "ab<br>" + kRule + "<br>"},
        NoteCase{"LeadingZeroGivesAnEmptyText", true, std::string("\0x", 2), "\r\n" + kRule + "\r\n",
                 "<br>" + kRule + "<br>"},
        NoteCase{"Only1024BytesOf1500", true, std::string(1500, 'n'),
                 std::string(1024, 'n') + "\r\n" + kRule + "\r\n", std::string(1024, 'n') + "<br>" + kRule + "<br>"},
        NoteCase{"Exactly1024Bytes", true, std::string(1023, 'm') + "\r",
                 std::string(1023, 'm') + "\r\r\n" + kRule + "\r\n", std::string(1023, 'm') + "<br><br>" + kRule + "<br>"},
        NoteCase{"Cp1251Bytes", true, "\xCF\xF0\xE8\xE2\xE5\xF2", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n" + kRule + "\r\n",
                 "\xCF\xF0\xE8\xE2\xE5\xF2<br>" + kRule + "<br>"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(InfoNoteFileTest, ADirectoryInPlaceOfTheFileGivesTheDefault) {
    TempDir dir;
    dir.MakeDirectory("msgtext.txt");
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    AppState state(platform);
    state.LoadInfoNote();
    EXPECT_EQ(state.infoNoteText, kDefaultText + "\r\n" + kRule + "\r\n");
}

TEST(InfoNoteFormsTest, DefaultTextFollowsTheCaption) {
    EXPECT_EQ(DefaultInfoNoteText("X"), Cp1251::FromUtf8("Сообщение зашифровано программой X"));
    EXPECT_EQ(InfoNoteTextFromBytes("", 0, "default"), "default");
}

}  // namespace
}  // namespace velkaro
