// Charset conversion of velkaro-cli: our CP1251 table against the platform's, and the
// refusals with their positions.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "charset.h"
#include "cli_test_support.h"
#include "cp1251.h"
#include "text_codec.h"

namespace velkaro {
namespace {

using Kind = ConversionFailure::Kind;

TEST(Cp1251Test, TableAgreesWithThePlatformsCodePage) {
    std::unique_ptr<Charset> platform = Charset::Open("WINDOWS-1251");
    if (!platform) platform = Charset::Open("CP1251");
    ASSERT_TRUE(platform);
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;  // undefined in the code page; platforms differ
        uint8_t byte = uint8_t(b);
        const uint8_t* p = &byte;
        char32_t cp = 0;
        ASSERT_EQ(platform->Decode(&p, &byte + 1, &cp), Charset::Step::kCharacter) << b;
        EXPECT_EQ(cp, Cp1251::ToUnicode(byte)) << "byte " << b;
    }
}

TEST(Cp1251Test, EveryByteGoesToUnicodeAndBack) {
    for (int b = 0; b < 256; ++b) {
        uint8_t back = 0;
        ASSERT_TRUE(Cp1251::FromUnicode(Cp1251::ToUnicode(uint8_t(b)), &back)) << b;
        EXPECT_EQ(back, b);
    }
    uint8_t ignored;
    EXPECT_FALSE(Cp1251::FromUnicode(0x00E9, &ignored));  // é: not in the code page
    EXPECT_FALSE(Cp1251::FromUnicode(0x1F600, &ignored));
}

struct ImportCase {
    const char* name;
    const char* charset;
    std::string input;
    bool lossy;
    bool ok;
    std::string expectedUtf8;  // the CP1251 result, written as UTF-8 for reading
    Kind kind;
    size_t line, column, byteOffset;
    char32_t codePoint;
};

class ImportTest : public ::testing::TestWithParam<ImportCase> {};

TEST_P(ImportTest, ConvertsOrNamesThePosition) {
    const ImportCase& c = GetParam();
    std::unique_ptr<TextCodec> codec = TextCodec::Open(c.charset);
    ASSERT_TRUE(codec) << c.charset;
    SecretBuffer out(256);
    ConversionFailure failure;
    EXPECT_EQ(codec->Import(Bytes(c.input), c.input.size(), c.lossy, out, failure), c.ok);
    EXPECT_EQ(failure.kind, c.kind);
    if (c.ok) {
        EXPECT_EQ(AsString(out), Cp1251::FromUtf8(c.expectedUtf8));
        EXPECT_EQ(out.chars()[out.size()], '\0') << "zero-terminated";
    } else {
        EXPECT_EQ(out.size(), 0u) << "nothing half-converted is left";
        EXPECT_EQ(failure.line, c.line);
        EXPECT_EQ(failure.column, c.column);
        EXPECT_EQ(failure.byteOffset, c.byteOffset);
        EXPECT_EQ(failure.codePoint, c.codePoint);
    }
}

const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportTest,
    ::testing::Values(
        ImportCase{"Utf8Cyrillic", "UTF-8", "Ёлка №1 — «да»", false, true, "Ёлка №1 — «да»", Kind::kNone, 0, 0, 0, 0},
        ImportCase{"Utf8ByteOrderMarkDropped", "UTF-8", "\xEF\xBB\xBFабв", false, true, "абв", Kind::kNone, 0, 0, 0, 0},
        ImportCase{"NotInCp1251OnLineThree", "UTF-8", "a\nбв\nгд" + kEmoji + "e", false, false, "",
                   Kind::kNotInCp1251, 3, 3, 11, 0x1F600},
        ImportCase{"NotInCp1251Lossy", "UTF-8", "a\nгд" + kEmoji + "é", true, true, "a\nгд??", Kind::kNone, 0, 0, 0, 0},
        ImportCase{"InvalidUtf8", "UTF-8", "ok \xC3(", false, false, "", Kind::kInvalidInput, 1, 4, 3, 0},
        ImportCase{"TruncatedUtf8AtTheEnd", "UTF-8", "да\xD0", false, false, "", Kind::kInvalidInput, 1, 3, 4, 0},
        ImportCase{"InvalidUtf8Lossy", "UTF-8", "a\xFF" "b", true, true, "a?b", Kind::kNone, 0, 0, 0, 0},
        ImportCase{"Koi8r", "KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", false, true, "Привет", Kind::kNone, 0, 0, 0, 0},
        ImportCase{"RawCp1251KeepsEveryByte", "CP1251", "\x98\xFF\x01", false, true, "\xC2\x98я\x01",
                   Kind::kNone, 0, 0, 0, 0},
        ImportCase{"TooLongForTheBuffer", "UTF-8", std::string(256, 'x'), false, false, "", Kind::kTooLong, 1, 256,
                   255, 'x'}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ImportTest, RawCp1251ByteIsItsOwnCharacter) {
    // "ё" is 0xB8 in CP1251: with the raw charset the byte stays, nothing is decoded.
    std::unique_ptr<TextCodec> raw = TextCodec::Open("cp1251");
    ASSERT_TRUE(raw && raw->IsRaw());
    SecretBuffer out(16);
    ConversionFailure failure;
    ASSERT_TRUE(raw->Import(Bytes("\xB8"), 1, false, out, failure));
    EXPECT_EQ(AsString(out), "\xB8");
}

struct ExportCase {
    const char* name;
    const char* charset;
    std::string cp1251AsUtf8;
    bool lossy;
    bool ok;
    std::string expected;
    size_t line, column;
};

class ExportTest : public ::testing::TestWithParam<ExportCase> {};

TEST_P(ExportTest, ConvertsOrNamesThePosition) {
    const ExportCase& c = GetParam();
    std::unique_ptr<TextCodec> codec = TextCodec::Open(c.charset);
    ASSERT_TRUE(codec) << c.charset;
    std::string cp1251 = Cp1251::FromUtf8(c.cp1251AsUtf8);
    SecretBuffer out(TextCodec::ExportCapacity(cp1251.size()));
    ConversionFailure failure;
    EXPECT_EQ(codec->Export(Bytes(cp1251), cp1251.size(), c.lossy, out, failure), c.ok);
    if (c.ok) {
        EXPECT_EQ(AsString(out), c.expected);
    } else {
        EXPECT_EQ(failure.kind, Kind::kNotInCharset);
        EXPECT_EQ(failure.line, c.line);
        EXPECT_EQ(failure.column, c.column);
        EXPECT_EQ(out.size(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportTest,
    ::testing::Values(ExportCase{"Utf8", "UTF-8", "Ёлка\r\n№1", false, true, "Ёлка\r\n№1", 0, 0},
                      ExportCase{"Koi8r", "KOI8-R", "Привет", false, true, "\xF0\xD2\xC9\xD7\xC5\xD4", 0, 0},
                      ExportCase{"Latin1Refuses", "ISO-8859-1", "ab\ncd я", false, false, "", 2, 4},
                      ExportCase{"Latin1Lossy", "ISO-8859-1", "ab\ncd я", true, true, "ab\ncd ?", 0, 0},
                      ExportCase{"Raw", "CP1251", "я", false, true, "\xFF", 0, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TextCodecTest, UnknownCharsetIsNotOpened) {
    EXPECT_EQ(TextCodec::Open("NO-SUCH-CHARSET-42"), nullptr);
    EXPECT_EQ(TextCodec::Open(""), nullptr);
}

TEST(TextCodecTest, MessagesAreNeverRefused) {
    std::unique_ptr<TextCodec> latin1 = TextCodec::Open("ISO-8859-1");
    ASSERT_TRUE(latin1);
    EXPECT_EQ(latin1->ExportUtf8("Ok: пароль"), "Ok: ??????");
    std::unique_ptr<TextCodec> raw = TextCodec::Open("CP1251");
    EXPECT_EQ(raw->ExportUtf8("я"), "\xFF");
}

TEST(TextCodecTest, TerminalCharsetIsNamed) {
    std::string name = Charset::TerminalName();
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, "ANSI_X3.4-1968") << "the C locale's ASCII is taken as UTF-8";
    EXPECT_TRUE(TextCodec::Open(name));
}

}  // namespace
}  // namespace velkaro
