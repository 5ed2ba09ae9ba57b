// DeriveKey and KeyMatchesHeader: password expansion, wiping, messages, header checks.

#include "password_key.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cipher_context.h"
#include "string_ids.h"
#include "recording_sink.h"

namespace velkaro {
namespace {

// A password buffer as the dialog hands it over: at least 32 bytes, NUL-terminated, the rest
// filled with a marker so that writes beyond the first 32 bytes show up.
struct PasswordBuffer {
    explicit PasswordBuffer(const std::string& text) {
        std::memset(bytes, 0x5A, sizeof bytes);
        std::memcpy(bytes, text.c_str(), text.size() + 1);
    }
    char bytes[64];
};

// The key that the expanded password `expanded` gives: the derivation constant decrypted
// block by block under it, with its check value.
CipherKey KeyFromExpanded(const std::string& expanded) {
    EXPECT_EQ(expanded.size(), 32u);
    CipherKey e{};
    std::memcpy(e.key, expanded.data(), 32);
    CipherContext ctx;
    ctx.SetKey(e);
    CipherKey out;
    ctx.DeriveCipherKey(kDerivationConstant, out);
    return out;
}

bool SameKey(const CipherKey& a, const CipherKey& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---- Expansion --------------------------------------------------------------------------------

struct ExpansionCase {
    const char* name;
    std::string password;
    std::string expanded;  // the 32 bytes the key is made from
};

std::ostream& operator<<(std::ostream& os, const ExpansionCase& c) { return os << c.name; }

const std::string k31 = "abcdefghijklmnopqrstuvwxyz01234";
const std::string k32 = k31 + "5";

const ExpansionCase kExpansionCases[] = {
    // Four bytes and their zero, six times over, then the first two bytes again.
    {"FourChars", "abcd", std::string("abcd\0abcd\0abcd\0abcd\0abcd\0abcd\0ab", 32)},
    {"FiveChars", "abcde", std::string("abcde\0abcde\0abcde\0abcde\0abcde\0ab", 32)},
    {"ThirtyOneChars", k31, k31 + std::string(1, '\0')},
    {"ThirtyTwoChars", k32, k32},
    {"LongerThanThirtyTwo", k32 + "tail!", k32},
    {"Cp1251Bytes", "\xEF\xE0\xF0\xEE\xEB\xFC",  // "пароль"
     std::string("\xEF\xE0\xF0\xEE\xEB\xFC\0\xEF\xE0\xF0\xEE\xEB\xFC\0\xEF\xE0\xF0\xEE\xEB\xFC\0"
                 "\xEF\xE0\xF0\xEE\xEB\xFC\0\xEF\xE0\xF0\xEE",
                 32)},
};

class PasswordExpansion : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(PasswordExpansion, KeyIsTheConstantDecryptedUnderTheExpandedPassword) {
    PasswordBuffer buffer(GetParam().password);
    CipherKey out{};
    int32_t keyPresent = 0;
    RecordingSink sink;
    ASSERT_TRUE(DeriveKey(buffer.bytes, out, keyPresent, sink));
    EXPECT_TRUE(SameKey(out, KeyFromExpanded(GetParam().expanded)));
    EXPECT_EQ(keyPresent, 1);
    EXPECT_TRUE(sink.shown.empty());

    // The first 32 bytes are wiped, nothing after them is touched.
    for (int i = 0; i < 32; ++i) EXPECT_EQ(buffer.bytes[i], 0) << "byte " << i;
    const PasswordBuffer original(GetParam().password);
    EXPECT_EQ(0, std::memcmp(buffer.bytes + 32, original.bytes + 32, sizeof buffer.bytes - 32));

    CipherContext verify;
    EXPECT_TRUE(verify.SetKey(out)) << "the check value belongs to the key";
}

std::string ExpansionName(const ::testing::TestParamInfo<ExpansionCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordExpansion, ::testing::ValuesIn(kExpansionCases),
                         ExpansionName);

TEST(DeriveKey, BytesAfterTheThirtySecondPlayNoPart) {
    RecordingSink sink;
    int32_t keyPresent = 0;
    PasswordBuffer a(k32), b(k32 + "x"), c(k32 + "something else entirely");
    CipherKey ka, kb, kc;
    ASSERT_TRUE(DeriveKey(a.bytes, ka, keyPresent, sink));
    ASSERT_TRUE(DeriveKey(b.bytes, kb, keyPresent, sink));
    ASSERT_TRUE(DeriveKey(c.bytes, kc, keyPresent, sink));
    EXPECT_TRUE(SameKey(ka, kb));
    EXPECT_TRUE(SameKey(ka, kc));
}

// Keys must stay the same across installations and versions: the key of "пароль" (CP1251),
// computed by this code after the cipher was cross-checked against OpenSSL's GOST engine
// (tests/crosscheck derives the same key through the engine).
TEST(DeriveKey, KnownKeyOfAPassword) {
    PasswordBuffer buffer("\xEF\xE0\xF0\xEE\xEB\xFC");
    CipherKey out;
    int32_t keyPresent = 0;
    RecordingSink sink;
    ASSERT_TRUE(DeriveKey(buffer.bytes, out, keyPresent, sink));
    const uint8_t expected[32] = {0x9c, 0x02, 0xb1, 0xce, 0x76, 0x9e, 0xf7, 0xff, 0x1c, 0x52, 0x62,
                                  0xc8, 0x2c, 0x00, 0xa1, 0x67, 0x93, 0xd1, 0xf7, 0x5e, 0x82, 0xed,
                                  0x71, 0x2f, 0xab, 0x3c, 0xfa, 0xbd, 0x2b, 0xa3, 0x1a, 0x8a};
    EXPECT_EQ(0, std::memcmp(out.key, expected, 32));
    EXPECT_EQ(out.check, 0xE8CEED29u);
}

// ---- Refused passwords ------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    const char* password;
    uint32_t id;
    uint32_t style;
};

std::ostream& operator<<(std::ostream& os, const RefusalCase& c) { return os << c.name; }

const RefusalCase kRefusals[] = {
    {"Empty", "", IDS_ENTER_PASSWORD, kStyleInformation},
    {"OneChar", "a", IDS_PASSWORD_TOO_SHORT, kStyleStop},
    {"ThreeChars", "abc", IDS_PASSWORD_TOO_SHORT, kStyleStop},
};

class RefusedPassword : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedPassword, ShowsItsMessageAndChangesNothing) {
    PasswordBuffer buffer(GetParam().password);
    const PasswordBuffer original(GetParam().password);
    CipherKey out;
    std::memset(&out, 0xC3, sizeof out);
    int32_t keyPresent = 7;
    RecordingSink sink;

    EXPECT_FALSE(DeriveKey(buffer.bytes, out, keyPresent, sink));

    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].id, GetParam().id);
    EXPECT_EQ(sink.shown[0].style, GetParam().style);
    EXPECT_EQ(0, std::memcmp(buffer.bytes, original.bytes, sizeof buffer.bytes));
    CipherKey untouched;
    std::memset(&untouched, 0xC3, sizeof untouched);
    EXPECT_TRUE(SameKey(out, untouched));
    EXPECT_EQ(keyPresent, 7);
}

std::string RefusalName(const ::testing::TestParamInfo<RefusalCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Passwords, RefusedPassword, ::testing::ValuesIn(kRefusals), RefusalName);

// ---- KeyMatchesHeader -------------------------------------------------------------------------

class HeaderMatch : public ::testing::Test {
protected:
    void SetUp() override {
        PasswordBuffer buffer("correct horse");
        int32_t present = 0;
        ASSERT_TRUE(DeriveKey(buffer.bytes, key_, present, sink_));
        // A header sealed with key_: bytes 36..39 hold the MAC of bytes 0..31.
        std::mt19937 rng(17);
        for (auto& b : header_) b = uint8_t(rng());
        CipherContext ctx;
        ctx.SetKey(key_);
        uint32_t acc[2] = {0, 0};
        ctx.Mac(acc, header_, 32);
        for (int i = 0; i < 4; ++i) header_[36 + i] = uint8_t(acc[0] >> (8 * i));
    }

    RecordingSink sink_;
    CipherKey key_;
    uint8_t header_[80];
};

TEST_F(HeaderMatch, TheSealingKeyMatches) {
    int32_t keyPresent = 0;
    EXPECT_TRUE(KeyMatchesHeader(header_, key_, keyPresent, sink_));
    EXPECT_EQ(keyPresent, 1);
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(HeaderMatch, OnlyBytesZeroToThirtyNineAreRead) {
    for (int i = 40; i < 80; ++i) header_[i] ^= 0xFF;
    int32_t keyPresent = 0;
    EXPECT_TRUE(KeyMatchesHeader(header_, key_, keyPresent, sink_));
}

TEST_F(HeaderMatch, AnotherKeyOrAChangedHeaderDoesNotMatch) {
    PasswordBuffer other("wrong horse");
    CipherKey otherKey;
    int32_t keyPresent = 1;
    ASSERT_TRUE(DeriveKey(other.bytes, otherKey, keyPresent, sink_));
    EXPECT_FALSE(KeyMatchesHeader(header_, otherKey, keyPresent, sink_));
    EXPECT_EQ(keyPresent, 0);

    for (int at : {0, 31, 36, 39}) {
        uint8_t changed[80];
        std::memcpy(changed, header_, sizeof changed);
        changed[at] ^= 0x01;
        keyPresent = 1;
        EXPECT_FALSE(KeyMatchesHeader(changed, key_, keyPresent, sink_)) << "byte " << at;
        EXPECT_EQ(keyPresent, 0);
    }
}

TEST_F(HeaderMatch, AKeyWhoseCheckDoesNotVerifyNeverMatches) {
    CipherKey altered = key_;
    altered.check ^= 0x80000000u;
    int32_t keyPresent = 1;
    EXPECT_FALSE(KeyMatchesHeader(header_, altered, keyPresent, sink_));
    EXPECT_EQ(keyPresent, 0);
    EXPECT_TRUE(sink_.shown.empty());
}

}  // namespace
}  // namespace velkaro
