// The system's ANSI codec under code page 1251 against the program's own CP1251 table: both
// must turn every UTF-16 text into the same bytes and back, so a message sealed from a
// browser document opens to the same text on Linux and Windows.

#include "system_ansi_codec.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cp1251_codec.h"

namespace velkaro {
namespace {

class SystemAnsiCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1251u) << "the tests run with LC_ALL=ru_RU.UTF-8 (scripts/wine-run)";
    }
    SystemAnsiCodec system_;
    Cp1251Codec table_;
};

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

TEST_F(SystemAnsiCodecTest, EveryCharacterOfTheBmpBecomesTheSameByte) {
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        if (IsSurrogate(char16_t(unit))) continue;
        const std::u16string text(1, char16_t(unit));
        const std::string got = system_.ToAnsi(text);
        ASSERT_EQ(got, table_.ToAnsi(text)) << "U+" << std::hex << unit;
    }
}

TEST_F(SystemAnsiCodecTest, EveryByteBecomesTheSameCharacter) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = char(byte);
        ASSERT_EQ(system_.FromAnsi(&c, 1), table_.FromAnsi(&c, 1)) << "byte " << byte;
    }
}

struct CodecCase {
    const char* name;
    std::u16string text;
    std::string ansi;
};

class SystemAnsiCodecCases : public SystemAnsiCodecTest,
                             public ::testing::WithParamInterface<CodecCase> {};

TEST_P(SystemAnsiCodecCases, ToAnsi) {
    EXPECT_EQ(system_.ToAnsi(GetParam().text), GetParam().ansi);
    EXPECT_EQ(table_.ToAnsi(GetParam().text), GetParam().ansi) << "the portable codec agrees";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SystemAnsiCodecCases,
    ::testing::Values(
        CodecCase{"Empty", u"", ""},
        CodecCase{"Cyrillic", u"Привет, Ёж №1 €", "\xcf\xf0\xe8\xe2\xe5\xf2, \xa8\xe6 \xb9\x31 \x88"},
        // Best fit would make look-alikes of these; a full-width "<" would become markup.
        CodecCase{"NoBestFit", u"é＜ą", "???"},
        CodecCase{"OutsideTheCodePage", u"日本", "??"},
        CodecCase{"EmbeddedZeroSurvives", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        CodecCase{"SurrogatePairIsOneCharacter", u"a\U0001F600b", "a?b"},
        CodecCase{"LoneSurrogates", std::u16string(u"a\xD800" u"b\xDC00", 4), "a?b?"}),
    [](const ::testing::TestParamInfo<CodecCase>& p) { return std::string(p.param.name); });

TEST_F(SystemAnsiCodecTest, FromAnsiKeepsLengthAndEmbeddedZeros) {
    const std::string ansi("\xcf\0\xff", 3);
    EXPECT_EQ(system_.FromAnsi(ansi.data(), ansi.size()), std::u16string(u"П\0я", 3));
    EXPECT_EQ(system_.FromAnsi(ansi.data(), 0), u"");
}

TEST_F(SystemAnsiCodecTest, LongTextRoundTrip) {
    std::string ansi;
    for (int i = 0; i < 70000; ++i) ansi.push_back(char(1 + i % 255));
    const std::u16string wide = system_.FromAnsi(ansi.data(), ansi.size());
    EXPECT_EQ(wide.size(), ansi.size());
    EXPECT_EQ(system_.ToAnsi(wide), ansi);
}

}  // namespace
}  // namespace velkaro
