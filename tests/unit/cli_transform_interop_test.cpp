// velkaro-cli and the program's plain-text transform exchange blocks: what the one seals the
// other opens to the same bytes, in both directions, with and without the note.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "app_state.h"
#include "cli_commands.h"
#include "cli_test_support.h"
#include "cp1251.h"
#include "edit_text_transform.h"
#include "edit_transform_fixture.h"
#include "fake_app_platform.h"
#include "fake_text_target.h"
#include "info_note.h"
#include "message_cipher.h"
#include "password_key.h"
#include "recording_sink.h"
#include "temp_dir.h"
#include "text_codec.h"
#include "text_limits.h"

namespace velkaro {
namespace {

const std::string kPassword = Cp1251::FromUtf8("пароль для обоих");

// Every byte from 0x80 to 0xFF, Cyrillic and the CP1251 punctuation, 0x98 included.
std::string HighBytes() {
    std::string s;
    for (int b = 0x80; b <= 0xFF; ++b) s += char(b);
    return s;
}

std::string Repeated(const std::string& s, size_t n) {
    std::string out;
    while (out.size() < n) out += s;
    out.resize(n);
    return out;
}

struct InteropCase {
    const char* name;
    std::string plain;  // CP1251
    bool withNote;
};
// Failures name the case, not its bytes.
void PrintTo(const InteropCase& c, std::ostream* os) { *os << c.name; }

class CliTransformInteropTest : public ::testing::TestWithParam<InteropCase>, protected EditTransformFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(UsePassword(kPassword));
        if (GetParam().withNote) {
            app_->config.addInfoNote = 1;
            app_->LoadInfoNote();  // no note file in the directory: the default text
        }
    }

    // The CLI's seal of a CP1251 text, raw bytes in and out.
    std::string CliSeal(const std::string& plain) {
        CliCommands commands(cliMessages_.sink, *raw_, false);
        FixedPassword password(kPassword);
        SecretBuffer out(CliCommands::OutputCapacity());
        InfoNote note;
        EXPECT_EQ(commands.Seal(Bytes(plain), plain.size(), GetParam().withNote ? &note : nullptr, password, out),
                  kExitSuccess)
            << cliMessages_.All();
        return AsString(out);
    }

    std::string CliOpen(const std::string& text) {
        CliCommands commands(cliMessages_.sink, *raw_, false);
        FixedPassword password(kPassword);
        SecretBuffer out(CliCommands::OutputCapacity());
        EXPECT_EQ(commands.Open(Bytes(text), text.size(), password, out), kExitSuccess) << cliMessages_.All();
        return AsString(out);
    }

    // Probe and then Encrypt or Decrypt on an edit control holding `text`; its new text.
    std::string TransformRoad(const std::string& text, ProbeResult expected, TransformMode mode) {
        FakeTextTarget window(text);
        EXPECT_EQ(transform_.TransformEditText(&window, TransformMode::Probe), expected);
        transform_.TransformEditText(&window, mode);
        EXPECT_EQ(window.written.size(), 1u);
        return window.Text();
    }

    RecordedMessages cliMessages_;
    std::unique_ptr<TextCodec> raw_ = TextCodec::Open("CP1251");
};

TEST_P(CliTransformInteropTest, CliSealsTransformOpens) {
    const std::string sealed = CliSeal(GetParam().plain);
    const std::string opened = TransformRoad(sealed, ProbeResult::BlockFound, TransformMode::Decrypt);
    EXPECT_EQ(opened, GetParam().plain);
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_P(CliTransformInteropTest, TransformSealsCliOpens) {
    const std::string sealed = TransformRoad(GetParam().plain, ProbeResult::PlainText, TransformMode::Encrypt);
    EXPECT_EQ(CliOpen(sealed), GetParam().plain);
    EXPECT_TRUE(cliMessages_.lines.empty()) << cliMessages_.All();
}

// Both put the same note, the same framing and line breaks around the block: only the
// block's random synchro and filler (and so its armour) differ.
TEST_P(CliTransformInteropTest, BothFrameTheBlockAlike) {
    const std::string bySelf = TransformRoad(GetParam().plain, ProbeResult::PlainText, TransformMode::Encrypt);
    const std::string byCli = CliSeal(GetParam().plain);
    ASSERT_EQ(bySelf.size(), byCli.size());
    const size_t blockAt = bySelf.find(kBlockMarker);
    ASSERT_NE(blockAt, std::string::npos);
    EXPECT_EQ(bySelf.substr(0, blockAt + kBlockMarkerLength), byCli.substr(0, blockAt + kBlockMarkerLength));
    for (size_t i = blockAt; i < bySelf.size(); ++i) {
        const bool lineBreak = bySelf[i] == '\r' || bySelf[i] == '\n';
        EXPECT_EQ(lineBreak, byCli[i] == '\r' || byCli[i] == '\n') << "at " << i;
    }
    EXPECT_EQ(bySelf.substr(bySelf.size() - kClosingMarkerLength), kClosingMarker);
    EXPECT_EQ(byCli.substr(byCli.size() - kClosingMarkerLength), kClosingMarker);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CliTransformInteropTest,
    ::testing::Values(
        InteropCase{"Cyrillic", Cp1251::FromUtf8("Привет! Как у тебя дела?\r\nВстретимся вечером."), false},
        InteropCase{"CyrillicWithNote", Cp1251::FromUtf8("Ёлка, щётка, «кавычки» — и тире."), true},
        InteropCase{"EveryHighByte", HighBytes(), false},
        InteropCase{"LongPackedWithNote", Repeated(Cp1251::FromUtf8("Я задержусь. У нас дождь! "), 30000), true},
        InteropCase{"LongestText", Repeated(Cp1251::FromUtf8("Съешь же ещё этих булок. ") + HighBytes(), kMaxPlainText),
                    false}),
    [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace velkaro
