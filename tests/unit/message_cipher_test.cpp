#include "message_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cipher_context.h"
#include "entropy_source.h"
#include "password_key.h"
#include "recording_sink.h"
#include "string_ids.h"
#include "text_limits.h"

namespace velkaro {
namespace {

std::string Bytes(std::initializer_list<uint8_t> b) { return std::string(b.begin(), b.end()); }

// ---------------------------------------------------------------------------------------------
// Armour and line wrapping

struct ArmourCase {
    std::string data;
    std::string armour;
};

class ArmourExamples : public ::testing::TestWithParam<ArmourCase> {};

TEST_P(ArmourExamples, EncodesAndDecodesBack) {
    const ArmourCase& c = GetParam();
    char out[16];
    uint32_t n = uint32_t(c.data.size());
    MessageCipher::Armour(reinterpret_cast<const uint8_t*>(c.data.data()), out, &n);
    EXPECT_EQ(std::string(out, n), c.armour);
    EXPECT_EQ(out[n], '\0');

    uint8_t back[16];
    uint32_t m = n;
    MessageCipher::Unarmour(out, back, &m);
    std::string padded = c.data;
    if (padded.size() % 2) padded.push_back('\0');  // an odd count travels with a zero byte
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), m), padded);
}

INSTANTIATE_TEST_SUITE_P(Format, ArmourExamples,
                         ::testing::Values(ArmourCase{Bytes({0x00, 0x00}), "???"},
                                           ArmourCase{Bytes({0xFF, 0xFF}), "##O"},
                                           ArmourCase{Bytes({0x12, 0x34}), "tHA"},
                                           ArmourCase{Bytes({0x12}), "?HA"},
                                           ArmourCase{"", ""}));

TEST(Armour, EveryByteValueRoundTripsAndOnlyAlphabetIsUsed) {
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7 + i / 256);
    std::vector<char> text(data.size() * 3 / 2 + 1);
    uint32_t n = uint32_t(data.size());
    MessageCipher::Armour(data.data(), text.data(), &n);
    ASSERT_EQ(n, 768u);
    for (uint32_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        EXPECT_TRUE(c == '#' || (c >= '?' && c <= '~' && c != '@')) << "char " << i;
        if (i % 3 == 2) {
            EXPECT_TRUE(c == '?' || (c >= 'A' && c <= 'O')) << "third of group " << i;
        }
    }
    std::vector<uint8_t> back(data.size());
    uint32_t m = n;
    MessageCipher::Unarmour(text.data(), back.data(), &m);
    EXPECT_EQ(back, data);
}

TEST(Unarmour, PassesOverWhatMailSoftwareInserts) {
    // "tHA" encodes 0x12 0x34, "##O" encodes 0xFF 0xFF.
    struct Case {
        const char* text;
        const char* why;
    } cases[] = {
        {"tHA##O", "plain"},
        {"tH\r\nA#  #O", "line breaks and spaces"},
        {"t<BR>HA##<font color=red>O", "tags, even inside a group"},
        {"tH<a\nhref=\"x\">A##O</a>", "tag spanning a line break"},
        {"@tHA@##O@", "the character the armour never produces"},
        {"tHA\xC0\xFF\x7F 1234567890.,!##O", "bytes from 0x7F on, digits, punctuation"},
    };
    for (const Case& c : cases) {
        uint8_t out[8] = {};
        uint32_t n = uint32_t(std::strlen(c.text));
        MessageCipher::Unarmour(c.text, out, &n);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), Bytes({0x12, 0x34, 0xFF, 0xFF}))
            << c.why;
    }
}

TEST(Unarmour, TrailingPartialGroupGivesNoBytes) {
    uint8_t out[8] = {};
    uint32_t n = 5;
    MessageCipher::Unarmour("tHA##", out, &n);
    EXPECT_EQ(n, 2u);
}

TEST(WrapLines, BreaksAfterEveryFiftiethCharacter) {
    for (uint32_t length : {0u, 1u, 49u, 50u, 51u, 99u, 100u, 121u}) {
        std::string in(length, 'x');
        for (uint32_t i = 0; i < length; ++i) in[i] = char('A' + i % 26);
        std::vector<char> out(length + 2 * (length / 50) + 1, '!');
        uint32_t n = length;
        MessageCipher::WrapLines(in.data(), out.data(), &n);
        std::string expected;
        for (uint32_t i = 0; i < length; ++i) {
            expected += in[i];
            if ((i + 1) % 50 == 0) expected += "\r\n";
        }
        EXPECT_EQ(std::string(out.data(), n), expected) << length;
        EXPECT_EQ(out[n], '\0');
    }
}

// ---------------------------------------------------------------------------------------------
// Marker search

struct MarkerCase {
    std::string text;
    const char* marker;
    bool found;
    int32_t pos;
    const char* why;
};

class MarkerSearch : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerSearch, FindsTolerantly) {
    const MarkerCase& c = GetParam();
    int32_t pos = 12345;
    EXPECT_EQ(FindBlockMarker(c.text.data(), &pos, uint32_t(c.text.size()), c.marker), c.found)
        << c.why;
    if (c.found) {
        EXPECT_EQ(pos, c.pos) << c.why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkerSearch,
    ::testing::Values(
        MarkerCase{"[!dgt_encry]", "[!dgt_encry]", true, 0, "unbroken at the start"},
        MarkerCase{"Hello\r\n[!dgt_encry]ABC", "[!dgt_encry]", true, 7, "after text"},
        MarkerCase{"xx[!dgt_\r\nencry]", "[!dgt_encry]", true, 4, "CR LF inside: last char - 11"},
        MarkerCase{"[! dgt_en cry]", "[!dgt_encry]", true, 2, "spaces inside"},
        MarkerCase{"[!dgt_\xC0\xFF\x7F" "encry]", "[!dgt_encry]", true, 3, "high bytes inside"},
        MarkerCase{"[!DGT_ENCRY]", "[!dgt_encry]", false, 0, "case differs"},
        MarkerCase{"[!dgt_enc", "[!dgt_encry]", false, 0, "cut short"},
        MarkerCase{"[!dgX[!dgt_encry]", "[!dgt_encry]", true, 5, "printable mismatch restarts"},
        MarkerCase{"[[!dgt_encry]", "[!dgt_encry]", true, 1, "the mismatching byte starts anew"},
        MarkerCase{"[!dgt_encry][!dgt_encry]", "[!dgt_encry]", true, 0, "first occurrence"},
        MarkerCase{"RichEdit20A", "edit", false, 0, "class names: exact case"},
        MarkerCase{"myedit", "edit", true, 5 - 11, "short marker: position still last - 11"}));

TEST(MarkerSearch, LooksOnlyAtTheFirstLenBytes) {
    const std::string text = std::string(1999, 'a') + "[!dgt_encry]";
    int32_t pos = 0;
    EXPECT_FALSE(FindBlockMarker(text.data(), &pos, 2000, kBlockMarker));
    EXPECT_TRUE(FindBlockMarker(text.data(), &pos, uint32_t(text.size()), kBlockMarker));
    EXPECT_EQ(pos, 1999);
}

// ---------------------------------------------------------------------------------------------
// Sealing and opening

// Builds a block from given header fields and body, independently of Seal: used to check
// Seal's layout and to craft damaged blocks that are correctly encrypted.
struct BlockSpec {
    uint32_t plainLength;
    uint32_t storedLength;
    std::string body;  // plain body bytes (packed or not), encrypted here
    uint32_t textCheck;
    uint8_t random[16];
    uint16_t htmlMode;
    uint8_t tag[32];
};

std::string BuildBlock(const CipherKey& key, const BlockSpec& spec) {
    CipherContext context;
    context.SetKey(key);
    std::vector<uint8_t> area(80 + spec.body.size() + 8, 0);
    std::memcpy(area.data(), "[!dgt_encry]", 12);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) area[at + i] = uint8_t(v >> (8 * i));
    };
    put32(12, spec.plainLength);
    put32(16, spec.storedLength);
    std::memcpy(&area[20], spec.random, 16);
    put32(40, spec.textCheck);
    area[44] = 1;
    area[46] = uint8_t(spec.htmlMode);
    area[47] = uint8_t(spec.htmlMode >> 8);
    std::memcpy(&area[48], spec.tag, 32);
    uint32_t acc[2] = {0, 0};
    context.Mac(acc, area.data(), 32);
    put32(36, acc[0]);
    context.StartGamma(&area[20]);
    context.ApplyGamma(reinterpret_cast<const uint8_t*>(spec.body.data()), &area[80],
                       uint32_t(spec.body.size()));
    std::vector<char> armour(3 * (area.size() / 2 + 1) + 1);
    uint32_t n = uint32_t(68 + spec.body.size());
    MessageCipher::Armour(&area[12], armour.data(), &n);
    std::string flat = "[!dgt_encry]" + std::string(armour.data(), n);
    std::vector<char> wrapped(flat.size() * 2 + 1);
    n = uint32_t(flat.size());
    MessageCipher::WrapLines(flat.data(), wrapped.data(), &n);
    return std::string(wrapped.data(), n);
}

uint32_t MacUnder(const CipherKey& key, const std::string& data) {
    CipherContext context;
    context.SetKey(key);
    uint32_t acc[2] = {0, 0};
    context.Mac(acc, reinterpret_cast<const uint8_t*>(data.data()), uint32_t(data.size()));
    return acc[0];
}

// The header fields of a block, decoded the way the probe does.
std::vector<uint8_t> DecodeHeader(const std::string& block) {
    std::vector<uint8_t> header(80 + block.size(), 0);
    std::memcpy(header.data(), "[!dgt_encry]", 12);
    uint32_t n = uint32_t(block.size() - 12);
    MessageCipher::Unarmour(block.data() + 12, &header[12], &n);
    header.resize(12 + n);
    return header;
}

uint32_t Get32(const std::vector<uint8_t>& h, size_t at) {
    return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 |
           uint32_t(h[at + 3]) << 24;
}

std::string RandomText(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng());
    return s;
}

std::string LetterText(size_t n) {
    const std::string words = "Привет! Встретимся вечером, как договаривались. ";
    std::string s;
    while (s.size() < n) s += words;
    s.resize(n);
    return s;
}

class SealOpen : public ::testing::Test {
protected:
    SealOpen() { UseKeyOf("secret password"); }

    void UseKeyOf(const char* password) {
        char buffer[64] = {};
        std::strcpy(buffer, password);
        int32_t present = 0;
        ASSERT_TRUE(DeriveKey(buffer, key, present, sink));
    }

    std::string Seal(const std::string& plain) {
        text.assign(plain.begin(), plain.end());
        text.resize(kTextBufferCapacity, 0);
        std::vector<char> out(kTextBufferCapacity, 0);
        if (!cipher.Seal(text.data(), out.data(), uint32_t(plain.size()))) return {};
        return std::string(out.data());
    }

    bool Open(const std::string& block, std::string* plain) {
        std::vector<char> out(kTextBufferCapacity, 0);
        uint32_t len = uint32_t(block.size());
        if (!cipher.Open(block.data(), out.data(), &len)) return false;
        EXPECT_EQ(out[len], '\0');
        *plain = std::string(out.data(), len);
        return true;
    }

    RecordingSink sink;
    CipherKey key = {};
    uint8_t tag[36] = {'@', '%'};
    std::vector<uint8_t> scratch = std::vector<uint8_t>(kTextBufferCapacity, 0);
    std::vector<char> text;
    MessageCipher cipher{sink, key, tag, scratch.data()};
};

TEST_F(SealOpen, OneByteTextIsStoredPlainIn121Characters) {
    const std::string block = Seal("x");
    ASSERT_EQ(block.size(), 121u);
    EXPECT_EQ(block.substr(0, 12), "[!dgt_encry]");
    EXPECT_EQ(block.substr(50, 2), "\r\n");
    EXPECT_EQ(block.substr(102, 2), "\r\n");
    std::string flat = block;
    flat.erase(102, 2);
    flat.erase(50, 2);
    EXPECT_EQ(flat.size(), 117u);
    const std::vector<uint8_t> header = DecodeHeader(block);
    EXPECT_EQ(Get32(header, 12), 1u);
    EXPECT_EQ(Get32(header, 16), 1u);
    std::string plain;
    ASSERT_TRUE(Open(block, &plain));
    EXPECT_EQ(plain, "x");
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SealOpen, RoundTripsAcrossSizesPackedOrNot) {
    struct Case {
        std::string plain;
        bool packed;
    } cases[] = {
        {"ab", false},
        {std::string("abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLM"), false},
        {LetterText(1000), true},
        {std::string(64000, 'a'), true},
        {LetterText(64000), true},
        {RandomText(3000, 1), false},
        {RandomText(46000, 2), false},
    };
    for (const Case& c : cases) {
        const std::string block = Seal(c.plain);
        ASSERT_FALSE(block.empty()) << c.plain.size();
        const std::vector<uint8_t> header = DecodeHeader(block);
        EXPECT_EQ(Get32(header, 12), c.plain.size());
        EXPECT_EQ(Get32(header, 16) != c.plain.size(), c.packed) << c.plain.size();
        EXPECT_EQ(block.size(), ArmouredLength(Get32(header, 16)));
        std::string plain;
        ASSERT_TRUE(Open(block, &plain)) << c.plain.size();
        EXPECT_EQ(plain, c.plain);
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SealOpen, LayoutMatchesAnIndependentComposition) {
    cipher.htmlMode = 1;
    const std::string plain = LetterText(300);
    const std::string block = Seal(plain);
    ASSERT_FALSE(block.empty());
    const std::vector<uint8_t> header = DecodeHeader(block);
    EXPECT_EQ(header[44] | header[45] << 8, 1) << "version";
    EXPECT_EQ(header[46] | header[47] << 8, 1) << "htmlMode";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&header[48]), 2), "@%");

    // Rebuild the block with the synchro and filler Seal drew, and the body Seal stored.
    std::string body(reinterpret_cast<const char*>(text.data()), Get32(header, 16));
    BlockSpec spec{};
    spec.plainLength = uint32_t(plain.size());
    spec.storedLength = Get32(header, 16);
    spec.body = body;
    spec.textCheck = MacUnder(key, plain);
    std::memcpy(spec.random, &header[20], 16);
    spec.htmlMode = 1;
    std::memcpy(spec.tag, tag, 32);
    EXPECT_EQ(BuildBlock(key, spec), block);

    int32_t present = 0;
    EXPECT_TRUE(KeyMatchesHeader(header.data(), key, present, sink));
}

TEST_F(SealOpen, TwoSealsOfTheSameTextDiffer) {
    const std::string a = Seal("the same text");
    const std::string b = Seal("the same text");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    const std::vector<uint8_t> ha = DecodeHeader(a), hb = DecodeHeader(b);
    EXPECT_NE(std::vector<uint8_t>(&ha[20], &ha[36]), std::vector<uint8_t>(&hb[20], &hb[36]));
}

TEST_F(SealOpen, OpenTakesHtmlModeFromTheHeader) {
    cipher.htmlMode = 1;
    const std::string block = Seal("html mail");
    cipher.htmlMode = 0;
    std::string plain;
    ASSERT_TRUE(Open(block, &plain));
    EXPECT_EQ(cipher.htmlMode, 1);
}

TEST_F(SealOpen, BodyOver46000BytesIsRefused) {
    EXPECT_EQ(Seal(RandomText(46001, 3)), "");
    EXPECT_EQ(sink.Ids(), std::vector<uint32_t>{IDS_TEXT_DAMAGED});
    EXPECT_EQ(sink.shown[0].style, uint32_t(kStyleStop));
}

TEST_F(SealOpen, WrongKeyFailsWithTextCheckMessage) {
    for (const std::string& plain : {std::string("short"), LetterText(5000)}) {
        const std::string block = Seal(plain);
        UseKeyOf("another password");
        sink.shown.clear();
        std::string out;
        EXPECT_FALSE(Open(block, &out));
        ASSERT_EQ(sink.shown.size(), 1u);
        // A packed body decrypted under the wrong key is rejected as damaged or by the check.
        EXPECT_TRUE(sink.shown[0].id == IDS_TEXT_DAMAGED_OR_WRONG_KEY ||
                    (plain.size() > 5 && sink.shown[0].id == IDS_TEXT_DAMAGED));
        UseKeyOf("secret password");
    }
}

TEST_F(SealOpen, BlockMangledByMailSoftwareOpens) {
    const std::string plain = LetterText(700);
    const std::string block = Seal(plain);
    std::string html;
    for (size_t i = 0; i < block.size(); ++i) {
        if (block[i] == '\r') continue;
        if (block[i] == '\n') {
            html += "<BR>\r\n";
            continue;
        }
        html += block[i];
        if (i > 12 && i % 17 == 0) html += ' ';
        if (i > 12 && i % 41 == 0) html += "\r\n\r\n";
    }
    html += "[/!dgt_encry] and whatever follows";
    std::string out;
    ASSERT_TRUE(Open(html, &out));
    EXPECT_EQ(out, plain);
}

TEST_F(SealOpen, DamagedBlocksAreRefusedWithoutReadingOutOfBounds) {
    BlockSpec base{};
    base.plainLength = 10;
    base.storedLength = 10;
    base.body = "0123456789";
    base.textCheck = MacUnder(key, base.body);
    {
        std::string out;
        ASSERT_TRUE(Open(BuildBlock(key, base), &out)) << "the fixture itself must open";
        EXPECT_EQ(out, "0123456789");
    }
    // A packed body: "aaaaaaaaaa" packs to a literal and a long match.
    const std::string packedTen = Bytes({0x15, 0x00, 0x61, 0xFF, 0xFF, 0x01, 0x00, 0x00});
    struct Case {
        const char* why;
        uint32_t plainLength, storedLength;
        std::string body;
        uint32_t expectedMessage;
    } cases[] = {
        {"plain length 64001", 64001, 64001, "x", IDS_TEXT_DAMAGED},
        {"plain body longer than the block", 500, 500, std::string(100, 'x'), IDS_TEXT_DAMAGED},
        {"stored length beyond the block", 10, 400, std::string(10, 'x'), IDS_TEXT_DAMAGED},
        {"stored length beyond the plain limit", 10, 70000, std::string(10, 'x'),
         IDS_TEXT_DAMAGED},
        {"packed stream unpacks beyond the plain length", 9, uint32_t(packedTen.size()),
         packedTen, IDS_TEXT_DAMAGED},
        {"packed stream cut before its end", 10, 5, packedTen.substr(0, 5), IDS_TEXT_DAMAGED},
        {"packed stream ends early: text check", 11, uint32_t(packedTen.size()), packedTen,
         IDS_TEXT_DAMAGED_OR_WRONG_KEY},
        {"damaged text", 10, 10, "0123456780", IDS_TEXT_DAMAGED_OR_WRONG_KEY},
    };
    for (const Case& c : cases) {
        BlockSpec spec = base;
        spec.plainLength = c.plainLength;
        spec.storedLength = c.storedLength;
        spec.body = c.body;
        sink.shown.clear();
        std::string out;
        EXPECT_FALSE(Open(BuildBlock(key, spec), &out)) << c.why;
        EXPECT_EQ(sink.Ids(), std::vector<uint32_t>{c.expectedMessage}) << c.why;
    }
    // Cut anywhere, a block never opens and never reads past its end.
    const std::string whole = Seal(LetterText(400));
    for (size_t cut = 0; cut < whole.size(); cut += 7) {
        if (whole.find_first_not_of("\r\n", cut) == std::string::npos) continue;  // only CR LF cut
        std::string out;
        const std::string part = whole.substr(0, cut);
        EXPECT_FALSE(Open(part, &out)) << cut;
    }
}

// ---------------------------------------------------------------------------------------------
// The random generator and its seed

// An entropy source for tests: a fixed byte pattern, or a failure, as the test says.
class ScriptedEntropy : public EntropySource {
public:
    explicit ScriptedEntropy(uint8_t fill) : fill_(fill) {}
    bool Fill(uint8_t* out, size_t n) override {
        ++calls;
        if (fail) return false;
        std::memset(out, fill_, n);
        return true;
    }
    bool fail = false;
    int calls = 0;

private:
    uint8_t fill_;
};

struct GeneratorFixture {
    explicit GeneratorFixture(EntropySource& entropy)
        : scratch(kTextBufferCapacity), cipher(sink, key, tag, scratch.data(), entropy) {}
    RecordingSink sink;
    CipherKey key = {};
    uint8_t tag[36] = {};
    std::vector<uint8_t> scratch;
    MessageCipher cipher;
};

TEST(Random, IsReproducibleForASeedAndMovesOn) {
    ScriptedEntropy zeros(0);
    GeneratorFixture a(zeros), b(zeros);
    ASSERT_TRUE(a.cipher.Seed(1700000000, 123));
    ASSERT_TRUE(b.cipher.Seed(1700000000, 123));
    uint8_t ra[40], rb[40];
    for (uint32_t n : {16u, 32u, 40u}) {
        ASSERT_TRUE(a.cipher.Random(ra, n));
        ASSERT_TRUE(b.cipher.Random(rb, n));
        EXPECT_EQ(std::memcmp(ra, rb, n), 0) << n;
    }
    uint8_t first[16], second[16];
    ASSERT_TRUE(a.cipher.Random(first, 16));
    ASSERT_TRUE(a.cipher.Random(second, 16));
    EXPECT_NE(std::memcmp(first, second, 16), 0);
    ASSERT_TRUE(b.cipher.Seed(1700000000, 124));
    ASSERT_TRUE(b.cipher.Random(second, 16));
    EXPECT_NE(std::memcmp(first, second, 16), 0);
}

TEST(Random, SystemBytesChangeTheSeedOfTheSameMoment) {
    // Two processes started in the same millisecond differ only in what the system gives.
    ScriptedEntropy zeros(0), other(0x5A);
    GeneratorFixture a(zeros), b(other);
    ASSERT_TRUE(a.cipher.Seed(1700000000, 123));
    ASSERT_TRUE(b.cipher.Seed(1700000000, 123));
    uint8_t ra[16], rb[16];
    ASSERT_TRUE(a.cipher.Random(ra, 16));
    ASSERT_TRUE(b.cipher.Random(rb, 16));
    EXPECT_NE(std::memcmp(ra, rb, 16), 0);
}

TEST(Random, FailingSystemSourceRefusesToSealUntilItRecovers) {
    ScriptedEntropy source(0x33);
    source.fail = true;
    GeneratorFixture f(source);
    char password[32] = "secret password";
    int32_t present = 0;
    ASSERT_TRUE(DeriveKey(password, f.key, present, f.sink));

    uint8_t bytes[16];
    EXPECT_FALSE(f.cipher.Random(bytes, 16));
    std::vector<char> text(kTextBufferCapacity, 0), out(kTextBufferCapacity, 'x');
    std::strcpy(text.data(), "a letter that must not be sealed with a clock-only seed");
    f.sink.shown.clear();
    EXPECT_FALSE(f.cipher.Seal(text.data(), out.data(), uint32_t(std::strlen(text.data()))));
    EXPECT_EQ(f.sink.Ids(), std::vector<uint32_t>{IDS_INTERNAL_ERROR});
    EXPECT_EQ(f.sink.shown[0].style, uint32_t(kStyleStop));
    EXPECT_EQ(out[0], '\0') << "nothing usable is written";

    // The source is asked again at the next seal, which then works.
    source.fail = false;
    const int callsBefore = source.calls;
    std::strcpy(text.data(), "a letter");
    EXPECT_TRUE(f.cipher.Seal(text.data(), out.data(), 8));
    EXPECT_GT(source.calls, callsBefore);
    EXPECT_EQ(std::string(out.data(), 12), "[!dgt_encry]");
}

TEST(Random, FreshCiphersInOneMomentDrawDistinctSynchros) {
    // The command-line tool makes one MessageCipher per command; thousands of them made in
    // a tight loop share seconds and milliseconds, and still never repeat a synchro.
    RecordingSink sink;
    CipherKey key = {};
    char password[32] = "one password for all";
    int32_t present = 0;
    ASSERT_TRUE(DeriveKey(password, key, present, sink));
    uint8_t tag[36] = {};
    std::vector<uint8_t> scratch(kTextBufferCapacity);
    std::vector<char> text(kTextBufferCapacity), out(kTextBufferCapacity);
    const std::string letter = "Привет! Одно и то же письмо.";
    std::set<std::string> synchros;
    constexpr int kSeals = 3000;
    for (int i = 0; i < kSeals; ++i) {
        MessageCipher cipher(sink, key, tag, scratch.data());
        std::memcpy(text.data(), letter.data(), letter.size());
        ASSERT_TRUE(cipher.Seal(text.data(), out.data(), uint32_t(letter.size())));
        const std::vector<uint8_t> header = DecodeHeader(out.data());
        synchros.insert(std::string(header.begin() + 20, header.begin() + 28));
    }
    EXPECT_EQ(synchros.size(), size_t(kSeals));
}

}  // namespace
}  // namespace velkaro
