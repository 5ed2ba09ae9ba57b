// The commands of velkaro-cli in process: what seal writes, what open accepts, and how each
// failure is reported and answered.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "cli_commands.h"
#include "cli_test_support.h"
#include "cp1251.h"
#include "info_note.h"
#include "message_cipher.h"
#include "string_ids.h"
#include "text_limits.h"
#include "utf8.h"

namespace velkaro {
namespace {

const std::string kCrLf = "\r\n";
const std::string kRule(50, '_');
const std::string kPassword = "correct horse";

class CliCommandsTest : public ::testing::Test {
protected:
    ExitStatus Seal(const std::string& text, std::string* out, const InfoNote* note = nullptr,
                    const std::string& password = kPassword, bool lossy = false) {
        CliCommands commands(recorded_.sink, *codec_, lossy);
        FixedPassword source(password);
        SecretBuffer output(CliCommands::OutputCapacity());
        ExitStatus status = commands.Seal(Bytes(text), text.size(), note, source, output);
        *out = AsString(output);
        return status;
    }
    ExitStatus Open(const std::string& text, std::string* out, const std::string& password = kPassword) {
        CliCommands commands(recorded_.sink, *codec_, false);
        FixedPassword source(password);
        SecretBuffer output(CliCommands::OutputCapacity());
        ExitStatus status = commands.Open(Bytes(text), text.size(), source, output);
        *out = AsString(output);
        return status;
    }
    std::string SealOrFail(const std::string& text, const InfoNote* note = nullptr) {
        std::string sealed;
        EXPECT_EQ(Seal(text, &sealed, note), kExitSuccess) << recorded_.All();
        return sealed;
    }
    uint32_t LastId() const { return recorded_.sink.LastId(); }

    RecordedMessages recorded_;
    std::unique_ptr<TextCodec> codec_ = TextCodec::Open("UTF-8");
};

// ---- Round trips ----------------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    std::string text;  // UTF-8
    bool withNote;
};

class CliRoundTripTest : public CliCommandsTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(CliRoundTripTest, OpenGivesBackWhatSealTook) {
    InfoNote note;
    std::string sealed = SealOrFail(GetParam().text, GetParam().withNote ? &note : nullptr);
    std::string opened;
    ASSERT_EQ(Open(sealed, &opened), kExitSuccess) << recorded_.All();
    EXPECT_EQ(opened, GetParam().text);
    EXPECT_TRUE(recorded_.lines.empty()) << recorded_.All();
}

std::string Repeat(const std::string& s, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CliRoundTripTest,
    ::testing::Values(RoundTripCase{"OneByte", "x", false},
                      RoundTripCase{"CyrillicWithNote", "Привет, мир!\r\nВторая строка — «ёлка» №5", true},
                      RoundTripCase{"LfLineEnds", "line one\nline two\n", false},
                      RoundTripCase{"CompressibleLong", Repeat("Съешь же ещё этих мягких булок. ", 1500), true},
                      RoundTripCase{"Longest", std::string(kMaxPlainText, 'q'), false}),
    [](const auto& p) { return std::string(p.param.name); });

// ---- Layout of what seal writes -------------------------------------------------------

// Splits the armoured block off a sealed text: what lies between the note and the
// closing marker.
struct SealedParts {
    std::string beforeBlock;
    std::string block;
    std::string afterBlock;
};

SealedParts Split(const std::string& sealed) {
    SealedParts parts;
    size_t start = sealed.find(kBlockMarker);
    size_t end = sealed.find(kClosingMarker);
    if (start == std::string::npos || end == std::string::npos) return parts;
    parts.beforeBlock = sealed.substr(0, start);
    parts.block = sealed.substr(start, end - start);
    parts.afterBlock = sealed.substr(end);
    return parts;
}

struct LayoutCase {
    const char* name;
    std::string text;
    bool closingMarkerOnOwnLine;
};

class CliLayoutTest : public CliCommandsTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(CliLayoutTest, BlockIsWrappedAtFiftyAndClosedRightBehindIt) {
    std::string sealed = SealOrFail(GetParam().text);
    SealedParts parts = Split(sealed);
    EXPECT_EQ(parts.beforeBlock, "");
    EXPECT_EQ(parts.afterBlock, kClosingMarker) << "nothing follows the closing marker";

    // Every line but the last holds 50 characters and ends with CR LF.
    std::string unwrapped;
    size_t pos = 0;
    while (pos < parts.block.size()) {
        size_t lineEnd = parts.block.find(kCrLf, pos);
        if (lineEnd == std::string::npos) {
            EXPECT_LT(parts.block.size() - pos, 50u);
            unwrapped += parts.block.substr(pos);
            break;
        }
        EXPECT_EQ(lineEnd - pos, 50u) << "line starting at " << pos;
        unwrapped += parts.block.substr(pos, lineEnd - pos);
        pos = lineEnd + 2;
    }
    bool endsWithBreak = parts.block.size() >= 2 && parts.block.compare(parts.block.size() - 2, 2, kCrLf) == 0;
    EXPECT_EQ(endsWithBreak, GetParam().closingMarkerOnOwnLine);
    EXPECT_EQ(unwrapped.size() % 50 == 0, GetParam().closingMarkerOnOwnLine);
}

// A stored body of 23 or 24 bytes gives 12 + 3 * 46 = 150 block characters: a multiple of
// 50, so the block ends with CR LF. Texts of distinct letters do not pack shorter.
INSTANTIATE_TEST_SUITE_P(
    Lengths, CliLayoutTest,
    ::testing::Values(LayoutCase{"OneByte", "x", false},                                   // 117 characters
                      LayoutCase{"TwentyTwo", "abcdefghijklmnopqrstuv", false},            // 147
                      LayoutCase{"TwentyThree", "abcdefghijklmnopqrstuvw", true},          // 150
                      LayoutCase{"TwentyFour", "abcdefghijklmnopqrstuvwx", true},          // 150
                      LayoutCase{"TwentyFive", "abcdefghijklmnopqrstuvwxy", false}),       // 153
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CliCommandsTest, NoteComesFirstWithItsRule) {
    InfoNote note;
    std::string sealed = SealOrFail("hello", &note);
    std::string expectedNote = "Сообщение зашифровано программой Velkaro Stego Версия 3.1" + kCrLf + kRule + kCrLf;
    EXPECT_EQ(Split(sealed).beforeBlock, expectedNote);
}

TEST_F(CliCommandsTest, NoteFromFileIsConvertedLikeTheText) {
    InfoNote note;
    std::string cp1251 = Cp1251::FromUtf8("Строка 1\r\nСтрока 2");
    note.LoadFileBytes(cp1251.data(), cp1251.size());
    std::string sealed = SealOrFail("hello", &note);
    EXPECT_EQ(Split(sealed).beforeBlock, "Строка 1\r\nСтрока 2" + kCrLf + kRule + kCrLf);
}

TEST_F(CliCommandsTest, TwoSealsOfOneTextDiffer) {
    EXPECT_NE(SealOrFail("same text"), SealOrFail("same text"));
}

// ---- What open accepts ------------------------------------------------------------------

// Inserts `what` after every `every` characters of the armour (the marker left whole).
std::string InsertIntoArmour(const std::string& sealed, const std::string& what, size_t every) {
    SealedParts parts = Split(sealed);
    std::string block = parts.block.substr(0, 12);
    for (size_t i = 12; i < parts.block.size(); ++i) {
        block += parts.block[i];
        if ((i - 12) % every == every - 1) block += what;
    }
    return parts.beforeBlock + block + parts.afterBlock;
}

struct MangleCase {
    const char* name;
    std::function<std::string(const std::string&)> mangle;
};

class CliOpenMangledTest : public CliCommandsTest, public ::testing::WithParamInterface<MangleCase> {};

TEST_P(CliOpenMangledTest, BlockStillOpens) {
    const std::string text = "Встреча в пятницу, в 19:00.\r\nНе опаздывай!";
    std::string mangled = GetParam().mangle(SealOrFail(text));
    std::string opened;
    ASSERT_EQ(Open(mangled, &opened), kExitSuccess) << recorded_.All();
    EXPECT_EQ(opened, text);
}

INSTANTIATE_TEST_SUITE_P(
    MailSoftware, CliOpenMangledTest,
    ::testing::Values(
        MangleCase{"LeadingText", [](const std::string& s) { return "Re: привет\r\n> цитата\r\n\r\n" + s; }},
        MangleCase{"TrailingText", [](const std::string& s) { return s + "\r\n-- \r\nподпись"; }},
        MangleCase{"BrTags", [](const std::string& s) { return InsertIntoArmour(s, "<BR>", 50); }},
        MangleCase{"FontTagsEveryTenCharacters",
                   [](const std::string& s) { return InsertIntoArmour(s, "<font color=\"red\">", 10); }},
        MangleCase{"SpacesEverywhere", [](const std::string& s) { return InsertIntoArmour(s, " ", 1); }},
        MangleCase{"ExtraLineBreaks", [](const std::string& s) { return InsertIntoArmour(s, "\r\n\r\n", 7); }},
        MangleCase{"LfOnlyLineEnds",
                   [](const std::string& s) {
                       std::string out;
                       for (char c : s) {
                           if (c != '\r') out += c;
                       }
                       return out;
                   }},
        MangleCase{"MarkerBrokenByLineBreak",
                   [](const std::string& s) { return "text " + s.substr(0, 6) + "\r\n" + s.substr(6); }},
        MangleCase{"SecondBlockIgnored", [](const std::string& s) { return s + "\r\n" + s; }}),
    [](const auto& p) { return std::string(p.param.name); });

// ---- Failures ----------------------------------------------------------------------------

struct OpenFailureCase {
    const char* name;
    std::string text;
    std::function<std::string(const std::string&)> mangle;
    std::string password;
    ExitStatus status;
    uint32_t lastId;
};

class CliOpenFailureTest : public CliCommandsTest, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(CliOpenFailureTest, IsReportedAndWritesNothing) {
    std::string sealed = SealOrFail(GetParam().text);
    std::string opened = "untouched";
    EXPECT_EQ(Open(GetParam().mangle(sealed), &opened, GetParam().password), GetParam().status);
    EXPECT_EQ(LastId(), GetParam().lastId) << recorded_.All();
    EXPECT_EQ(opened, "");
}

// Flips the lowest bit of the value of the armour character `index` characters after the
// marker (line breaks not counted), so that one known bit of the decoded bytes changes.
// Armour characters 102..104 carry body bytes 0 and 1; character 104 holds bit 4 of byte 0.
std::string FlipArmour(const std::string& sealed, size_t index) {
    std::string out = sealed;
    size_t at = out.find(kBlockMarker) + 12;
    for (size_t seen = 0;; ++at) {
        if (out[at] == '\r' || out[at] == '\n') continue;
        if (seen++ == index) break;
    }
    auto value = [](char c) { return c == '?' ? 0 : c == '#' ? 63 : c - 0x40; };
    auto character = [](int v) { return v == 0 ? '?' : v == 63 ? '#' : char(0x40 + v); };
    out[at] = character(value(out[at]) ^ 1);
    return out;
}

std::string Identity(const std::string& s) { return s; }

// Texts the packer shortens, and texts it leaves as they are.
const std::string kPackedText = std::string(300, 'z') + "конец";
const std::string kUnpackedText = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOpenFailureTest,
    ::testing::Values(
        OpenFailureCase{"WrongPassword", kPackedText, Identity, "another password", kExitRefused,
                        IDS_WRONG_PASSWORD},
        OpenFailureCase{"EmptyPassword", kPackedText, Identity, "", kExitUsage, IDS_ENTER_PASSWORD},
        OpenFailureCase{"ThreeCharacterPassword", kPackedText, Identity, "abc", kExitUsage,
                        IDS_PASSWORD_TOO_SHORT},
        // A changed bit of the body: stored plain, the text check fails; in the first control
        // word of a packed body, the stream no longer unpacks to the plain length.
        OpenFailureCase{"DamagedPlainBody", kUnpackedText, [](const std::string& s) { return FlipArmour(s, 120); },
                        kPassword, kExitRefused, IDS_TEXT_DAMAGED_OR_WRONG_KEY},
        OpenFailureCase{"DamagedPackedBody", kPackedText, [](const std::string& s) { return FlipArmour(s, 104); },
                        kPassword, kExitRefused, IDS_TEXT_DAMAGED},
        // Character 10 lies in the plain length, which the header check covers.
        OpenFailureCase{"DamagedHeader", kPackedText, [](const std::string& s) { return FlipArmour(s, 10); },
                        kPassword, kExitRefused, IDS_WRONG_PASSWORD},
        OpenFailureCase{"TruncatedBlock", kUnpackedText,
                        [](const std::string& s) { return s.substr(0, s.size() / 2); }, kPassword, kExitRefused,
                        IDS_TEXT_DAMAGED},
        OpenFailureCase{"OnlyTheMarker", kPackedText,
                        [](const std::string&) { return std::string("[!dgt_encry]ABC"); }, kPassword,
                        kExitRefused, IDS_TEXT_DAMAGED},
        OpenFailureCase{"MarkerWithSpacesButNoBlock", kPackedText,
                        [](const std::string&) { return std::string("see [!dgt_ encr y] here"); }, kPassword,
                        kExitRefused, IDS_TEXT_DAMAGED},
        OpenFailureCase{"NoBlock", kPackedText, [](const std::string&) { return std::string("просто текст"); },
                        kPassword, kExitNoBlock, IDS_CLI_NO_BLOCK},
        OpenFailureCase{"MarkerInOtherCase", kPackedText,
                        [](const std::string& s) {
                            std::string out = s;
                            out.replace(out.find(kBlockMarker), 12, "[!DGT_ENCRY]");
                            return out;
                        },
                        kPassword, kExitNoBlock, IDS_CLI_NO_BLOCK}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CliCommandsTest, NoPasswordIsAskedForATextWithoutBlock) {
    CliCommands commands(recorded_.sink, *codec_, false);
    FixedPassword source(kPassword);
    SecretBuffer output(CliCommands::OutputCapacity());
    std::string text = "no block here";
    EXPECT_EQ(commands.Open(Bytes(text), text.size(), source, output), kExitNoBlock);
    EXPECT_EQ(source.reads, 0);
}

struct SealFailureCase {
    const char* name;
    std::string text;
    std::string password;
    ExitStatus status;
    uint32_t lastId;
};

class CliSealFailureTest : public CliCommandsTest, public ::testing::WithParamInterface<SealFailureCase> {};

TEST_P(CliSealFailureTest, IsReportedAndWritesNothing) {
    std::string sealed = "untouched";
    EXPECT_EQ(Seal(GetParam().text, &sealed, nullptr, GetParam().password), GetParam().status);
    EXPECT_EQ(LastId(), GetParam().lastId) << recorded_.All();
    EXPECT_EQ(sealed, "");
}

// n CP1251 characters the packer cannot shorten (pseudo-random bytes 1..255), as UTF-8.
std::string Incompressible(size_t n) {
    std::string out;
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        uint8_t utf8[Utf8::kMaxSequence];
        size_t length = Utf8::Encode(Cp1251::ToUnicode(uint8_t(1 + (x >> 16) % 255)), utf8);
        out.append(reinterpret_cast<const char*>(utf8), length);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSealFailureTest,
    ::testing::Values(SealFailureCase{"EmptyText", "", kPassword, kExitUsage, IDS_CLI_NOTHING_TO_SEAL},
                      SealFailureCase{"OverLongText", std::string(kMaxPlainText + 1, 'q'), kPassword, kExitUsage,
                                      IDS_TEXT_TOO_LONG},
                      // 40000 Cyrillic letters: 80000 UTF-8 bytes, but 40000 in CP1251, so
                      // the limit counts after conversion; 64001 letters are too many.
                      SealFailureCase{"OverLongAfterConversion", Repeat("ж", kMaxPlainText + 1), kPassword,
                                      kExitUsage, IDS_TEXT_TOO_LONG},
                      SealFailureCase{"BodyOver46000", Incompressible(46001), kPassword, kExitUsage,
                                      IDS_CLI_BODY_TOO_LONG},
                      SealFailureCase{"EmptyPassword", "text", "", kExitUsage, IDS_ENTER_PASSWORD},
                      SealFailureCase{"ShortPassword", "text", "abc", kExitUsage, IDS_PASSWORD_TOO_SHORT}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CliCommandsTest, CyrillicOfTheLongestLengthSealsAfterConversion) {
    std::string sealed;
    EXPECT_EQ(Seal(Repeat("ж", kMaxPlainText), &sealed), kExitSuccess) << recorded_.All();
}

TEST_F(CliCommandsTest, FourCharacterPasswordIsEnough) {
    std::string sealed;
    ASSERT_EQ(Seal("text", &sealed, nullptr, "abcd"), kExitSuccess);
    std::string opened;
    EXPECT_EQ(Open(sealed, &opened, "abcd"), kExitSuccess);
    EXPECT_EQ(opened, "text");
}

// ---- Charsets ----------------------------------------------------------------------------

TEST_F(CliCommandsTest, CharacterOutsideCp1251IsRefusedWithItsPosition) {
    std::string sealed = "untouched";
    EXPECT_EQ(Seal("абв\nде\xF0\x9F\x98\x80ж", &sealed), kExitUsage);
    EXPECT_EQ(LastId(), uint32_t(IDS_CLI_NOT_IN_CP1251));
    ASSERT_EQ(recorded_.lines.size(), 1u);
    EXPECT_NE(recorded_.lines[0].find("Строка 2, столбец 3"), std::string::npos) << recorded_.lines[0];
    EXPECT_NE(recorded_.lines[0].find("U+1F600"), std::string::npos) << recorded_.lines[0];
    EXPECT_EQ(sealed, "");
}

TEST_F(CliCommandsTest, LossySealReplacesTheCharacterByAQuestionMark) {
    std::string sealed;
    ASSERT_EQ(Seal("абв\nде\xF0\x9F\x98\x80ж", &sealed, nullptr, kPassword, true), kExitSuccess);
    std::string opened;
    ASSERT_EQ(Open(sealed, &opened), kExitSuccess);
    EXPECT_EQ(opened, "абв\nде?ж");
}

TEST_F(CliCommandsTest, InvalidInputBytesAreRefusedWithTheirPosition) {
    std::string sealed;
    EXPECT_EQ(Seal("ok\nab\xFF", &sealed), kExitUsage);
    EXPECT_EQ(LastId(), uint32_t(IDS_CLI_INVALID_INPUT));
    EXPECT_NE(recorded_.All().find("Строка 2, столбец 3 (байт 5)"), std::string::npos) << recorded_.All();
}

TEST_F(CliCommandsTest, OpenIgnoresUnconvertibleTextAroundTheBlock) {
    std::string sealed = SealOrFail("inside");
    std::string opened;
    EXPECT_EQ(Open("\xF0\x9F\x98\x80 \xFF " + sealed + " \xE2\x9C\x93", &opened), kExitSuccess) << recorded_.All();
    EXPECT_EQ(opened, "inside");
}

TEST_F(CliCommandsTest, OpenRefusesPlainTextTheOutputCharsetCannotHold) {
    std::unique_ptr<TextCodec> latin1 = TextCodec::Open("ISO-8859-1");
    ASSERT_TRUE(latin1);
    std::string sealed = SealOrFail("ok\nпривет");
    for (bool lossy : {false, true}) {
        CliCommands commands(recorded_.sink, *latin1, lossy);
        FixedPassword source(kPassword);
        SecretBuffer output(CliCommands::OutputCapacity());
        ExitStatus status = commands.Open(Bytes(sealed), sealed.size(), source, output);
        if (lossy) {
            EXPECT_EQ(status, kExitSuccess);
            EXPECT_EQ(AsString(output), "ok\n??????");
        } else {
            EXPECT_EQ(status, kExitUsage);
            EXPECT_EQ(LastId(), uint32_t(IDS_CLI_NOT_IN_CHARSET));
            EXPECT_NE(recorded_.All().find("Строка 2, столбец 1"), std::string::npos) << recorded_.All();
            EXPECT_EQ(output.size(), 0u);
        }
    }
}

TEST_F(CliCommandsTest, RawCp1251IsSealedByteForByte) {
    std::unique_ptr<TextCodec> raw = TextCodec::Open("CP1251");
    ASSERT_TRUE(raw && raw->IsRaw());
    // Every byte value but zero, 0x98 (undefined in CP1251) included.
    std::string text;
    for (int b = 1; b < 256; ++b) text += char(b);
    CliCommands commands(recorded_.sink, *raw, false);
    FixedPassword source(kPassword);
    SecretBuffer sealed(CliCommands::OutputCapacity());
    ASSERT_EQ(commands.Seal(Bytes(text), text.size(), nullptr, source, sealed), kExitSuccess);
    SecretBuffer opened(CliCommands::OutputCapacity());
    ASSERT_EQ(commands.Open(sealed.bytes(), sealed.size(), source, opened), kExitSuccess);
    EXPECT_EQ(AsString(opened), text);
}

// ---- Probe -------------------------------------------------------------------------------

TEST_F(CliCommandsTest, ProbeReadsTheHeaderWithoutAKey) {
    struct Case {
        std::string text;
        bool compressed;
    } cases[] = {{"abcdefghijklmnopqrstuvw", false}, {Repeat("ля-ля ", 200), true}};
    for (const Case& c : cases) {
        std::string sealed = "lead " + SealOrFail(c.text);
        CliCommands commands(recorded_.sink, *codec_, false);
        BlockProbe probe;
        ASSERT_EQ(commands.Probe(Bytes(sealed), sealed.size(), probe), kExitSuccess);
        size_t cp1251Length = Cp1251::FromUtf8(c.text).size();
        EXPECT_EQ(probe.offset, 5);
        EXPECT_EQ(probe.plainLength, cp1251Length);
        EXPECT_EQ(probe.Compressed(), c.compressed);
        EXPECT_EQ(probe.storedLength == cp1251Length, !c.compressed);
        EXPECT_EQ(probe.version, 1);
        EXPECT_EQ(probe.htmlMode, 0);
        std::string description = CliCommands::DescribeProbe(probe);
        EXPECT_NE(description.find("Длина текста: " + std::to_string(cp1251Length)), std::string::npos);
        EXPECT_NE(description.find(c.compressed ? "Сжат: да" : "Сжат: нет"), std::string::npos);
    }
}

TEST_F(CliCommandsTest, ProbeOfPlainTextFindsNothing) {
    CliCommands commands(recorded_.sink, *codec_, false);
    BlockProbe probe;
    std::string text = "[!dgt_encry) is not quite a marker";
    EXPECT_EQ(commands.Probe(Bytes(text), text.size(), probe), kExitNoBlock);
    EXPECT_EQ(LastId(), uint32_t(IDS_CLI_NO_BLOCK));
}

}  // namespace
}  // namespace velkaro
