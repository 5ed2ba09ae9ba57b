// The informational note as the command-line tool builds it from a note file: the same
// note the program puts in front of a block.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app_state.h"
#include "cli_message_sink.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "info_note.h"
#include "string_ids.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

const std::string kDefaultUtf8 = "Сообщение зашифровано программой Velkaro Stego Версия 3.1";

struct NoteCase {
    const char* name;
    std::string fileBytes;  // CP1251
    std::string expectedText;
};

class InfoNoteTest : public ::testing::TestWithParam<NoteCase> {};

TEST_P(InfoNoteTest, TextComesFromTheFileBytes) {
    InfoNote note;
    note.LoadFileBytes(GetParam().fileBytes.data(), GetParam().fileBytes.size());
    EXPECT_EQ(note.Text(), GetParam().expectedText);
}

INSTANTIATE_TEST_SUITE_P(
    Files, InfoNoteTest,
    ::testing::Values(NoteCase{"EmptyGivesTheDefault", "", Cp1251::FromUtf8(kDefaultUtf8)},
                      NoteCase{"TwoLines", "A\r\nB", "A\r\nB"},
                      NoteCase{"EndsAtTheFirstZero", std::string("ab\0cd", 5), "ab"},
                      NoteCase{"LeadingZeroGivesAnEmptyNote", std::string("\0x", 2), ""},
                      NoteCase{"OnlyTheFirst1024Bytes", std::string(1500, 'n'), std::string(1024, 'n')},
                      NoteCase{"Cp1251BytesKept", "\xCF\xF0\xE8\xE2\xE5\xF2", "\xCF\xF0\xE8\xE2\xE5\xF2"}),
    [](const auto& p) { return std::string(p.param.name); });

// The settings file of a program with addInfoNote on (the other fields as the defaults).
std::string SettingsWithNote() {
    std::string bytes(36, '\0');
    bytes[12] = 1;   // keepPassword
    bytes[22] = 1;   // addInfoNote
    bytes[34] = 17;  // stegoModifierKey
    return bytes + ">\n" + std::string(1, '\0');
}

// The tool's note must be the program's note, whatever the note file holds.
TEST_P(InfoNoteTest, PlainFormIsTheProgramsNote) {
    TempDir dir;
    dir.Write("velkaro.ini", SettingsWithNote());
    dir.Write("msgtext.txt", GetParam().fileBytes);
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    auto state = std::make_unique<AppState>(platform);
    ASSERT_EQ(state->config.addInfoNote, 1);
    InfoNote note;
    note.LoadFileBytes(GetParam().fileBytes.data(), GetParam().fileBytes.size());
    EXPECT_EQ(note.PlainForm(), state->infoNoteText);
    EXPECT_EQ(note.HtmlForm(), state->infoNoteHtml);
}

TEST(InfoNotePlainFormTest, IsTextRuleAndLineBreaks) {
    InfoNote note;
    EXPECT_EQ(note.PlainForm(), Cp1251::FromUtf8(kDefaultUtf8) + "\r\n" + std::string(50, '_') + "\r\n");
    note.LoadFileBytes("A\r\nB\r\n", 6);
    EXPECT_EQ(note.PlainForm(), "A\r\nB\r\n\r\n" + std::string(50, '_') + "\r\n");
    note.UseDefault();
    EXPECT_EQ(note.Text(), Cp1251::FromUtf8(kDefaultUtf8));
}

TEST(CliMessageSinkTest, FillsArgumentsAndKeepsTheIds) {
    std::vector<std::string> lines;
    CliMessageSink sink([&lines](const std::string& l) { lines.push_back(l); });
    sink.Report(IDS_CLI_CANNOT_READ, {"a.txt", "No such file"});
    EXPECT_EQ(sink.ShowMessage(IDS_WRONG_PASSWORD, kStyleInformation), 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Не удалось прочитать a.txt: No such file");
    EXPECT_EQ(lines[1], "Неправильный пароль");
    EXPECT_EQ(sink.Shown(), (std::vector<uint32_t>{IDS_CLI_CANNOT_READ, IDS_WRONG_PASSWORD}));
    EXPECT_EQ(CliMessageSink::Format(99999, {}), "#99999");
}

}  // namespace
}  // namespace velkaro
