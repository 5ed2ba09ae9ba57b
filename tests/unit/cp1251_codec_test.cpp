#include "cp1251_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace velkaro {
namespace {

// Windows-1251 as published by Microsoft (bytes 0xC0..0xFF are U+0410..U+044F; 0xA8 is
// U+0401, 0xB9 U+2116, 0x88 U+20AC).
struct CodecCase {
    const char* name;
    std::u16string utf16;
    std::string ansi;       // what ToAnsi gives
    std::u16string back;    // what FromAnsi gives for `ansi`
};

class Cp1251CodecCases : public ::testing::TestWithParam<CodecCase> {};

TEST_P(Cp1251CodecCases, ConvertsBothWays) {
    const CodecCase& c = GetParam();
    Cp1251Codec codec;
    EXPECT_EQ(codec.ToAnsi(c.utf16), c.ansi);
    EXPECT_EQ(codec.FromAnsi(c.ansi.data(), c.ansi.size()), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1251CodecCases,
    ::testing::Values(
        CodecCase{"Ascii", u"Hello, <b>1</b>\r\n", "Hello, <b>1</b>\r\n", u"Hello, <b>1</b>\r\n"},
        CodecCase{"Empty", u"", "", u""},
        CodecCase{"Cyrillic", u"Привет, Ёж яЯ", "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \xFF\xDF",
                  u"Привет, Ёж яЯ"},
        CodecCase{"UpperHalfSigns", u"\u20AC\u2116\u00A0\u2014", "\x88\xB9\xA0\x97",
                  u"\u20AC\u2116\u00A0\u2014"},
        // Characters the code page lacks are lost: each becomes one "?".
        CodecCase{"OutsideCodePage", u"a\u00E9\u4E2Db", "a??b", u"a??b"},
        // A character beyond the BMP is one character, however many units carry it.
        CodecCase{"SurrogatePair", u"x\U0001F600y", "x?y", u"x?y"},
        CodecCase{"LoneSurrogates", std::u16string(u"a") + char16_t(0xD800) + u"b" +
                                        char16_t(0xDC00), "a?b?", u"a?b?"},
        // A zero unit passes as a zero byte; the caller decides where a text ends.
        CodecCase{"EmbeddedZero", std::u16string(u"a\0b", 3), std::string("a\0b", 3),
                  std::u16string(u"a\0b", 3)}),
    [](const ::testing::TestParamInfo<CodecCase>& p) { return std::string(p.param.name); });

TEST(Cp1251Codec, EveryByteRoundTripsThroughUtf16) {
    Cp1251Codec codec;
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const std::u16string wide = codec.FromAnsi(all.data(), all.size());
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(codec.ToAnsi(wide), all);
}

}  // namespace
}  // namespace velkaro
