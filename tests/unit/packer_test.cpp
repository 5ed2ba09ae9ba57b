#include "packer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace velkaro {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 3)
        out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Test-side stream tools, written from the stream format alone.

// Writes a stream token by token: flag bits enter the control word at bit 15 and shift down,
// a full word goes out with the data bytes queued since the previous one, and a token's bytes
// are queued after all its flags.
class StreamWriter {
public:
    void Flag(int bit) {
        word_ = uint16_t((word_ >> 1) | (bit << 15));
        if (++bits_ == 16) Flush(word_);
    }
    void Queue(uint8_t b) { queue_.push_back(b); }

    StreamWriter& Literal(uint8_t b) {
        Flag(1);
        Queue(b);
        return *this;
    }
    StreamWriter& Literals(const Bytes& bytes) {
        for (uint8_t b : bytes) Literal(b);
        return *this;
    }
    // Short match: length 2..5, distance 1..256 (256 travels as the byte 0).
    StreamWriter& Short(int length, int distance) {
        Flag(0);
        Flag(0);
        Flag(((length - 2) >> 1) & 1);
        Flag((length - 2) & 1);
        Queue(uint8_t(256 - distance));
        return *this;
    }
    // Long match: length 3..256, distance 1..8192; lengths above 9 take the third byte.
    StreamWriter& Long(int length, int distance) {
        const int code = 8192 - distance;  // the low 13 bits of the negative distance
        const uint8_t c = uint8_t(code & 0xFF);
        const uint8_t high = uint8_t((code >> 8) << 3);
        if (length <= 9) return LongForm(c, uint8_t(high | (length - 2)), -1);
        return LongForm(c, high, length - 1);
    }
    StreamWriter& NoOperation() { return LongForm(0x12, 0x30, 1); }
    StreamWriter& End() { return LongForm(0x01, 0x00, 0); }
    StreamWriter& LongForm(uint8_t c, uint8_t d, int e) {
        Flag(0);
        Flag(1);
        Queue(c);
        Queue(d);
        if (e >= 0) Queue(uint8_t(e));
        return *this;
    }
    // The last word, shifted so its first bit is bit 0, goes out even when empty.
    Bytes Finish() {
        Flush(uint16_t(bits_ == 0 ? 0 : word_ >> (16 - bits_)));
        return out_;
    }

private:
    void Flush(uint16_t word) {
        out_.push_back(uint8_t(word));
        out_.push_back(uint8_t(word >> 8));
        out_.insert(out_.end(), queue_.begin(), queue_.end());
        queue_.clear();
        word_ = 0;
        bits_ = 0;
    }

    Bytes out_;
    Bytes queue_;
    uint16_t word_ = 0;
    int bits_ = 0;
};

// Follows the packing algorithm step by step, window slides included, with the unbounded
// chain walk and no shortcut in the comparison. Slow and plain on purpose: Pack must produce
// exactly these bytes.
Bytes ReferencePack(const Bytes& in) {
    const int kW = 17664;
    const int n = int(in.size());
    std::vector<uint8_t> W(kW);
    std::vector<int32_t> prev(kW);
    int32_t head[256];
    StreamWriter out;

    int count = std::min(n, kW);
    std::copy(in.begin(), in.begin() + count, W.begin());
    int read = count;
    for (int32_t& h : head) h = -1;
    prev[0] = -1;
    head[W[0]] = 0;
    out.Literal(W[0]);
    for (int j = 1; j < count; ++j) {
        prev[j] = head[W[j]];
        head[W[j]] = j;
        const int maxlen = std::min(256, count - j);
        const int lowest = j > 8192 ? j - 8192 : 0;
        int L = 0;
        int D = 0;
        for (int p = prev[j]; p >= lowest; p = prev[p]) {
            int length = 1;
            for (int k = 1; k < maxlen && W[j + k] == W[p + k]; ++k) ++length;
            if (length > L) {
                L = length;
                D = j - p;
                if (L == maxlen) break;
            }
        }
        if ((D <= 255 && L >= 2) || (D > 255 && L >= 3)) {
            out.Flag(0);
            for (int k = 1; k < L; ++k) {
                prev[j + k] = head[W[j + k]];
                head[W[j + k]] = j + k;
            }
            j += L - 1;
            const uint32_t negative = uint32_t(0) - uint32_t(D);
            if (D <= 255 && L <= 5) {
                out.Flag(0);
                out.Flag(((L - 2) >> 1) & 1);
                out.Flag((L - 2) & 1);
                out.Queue(uint8_t(negative & 255));
            } else {
                out.Flag(1);
                out.Queue(uint8_t(negative & 255));
                if (L <= 9) {
                    out.Queue(uint8_t(((negative >> 5) & 0xF8) | uint32_t(L - 2)));
                } else {
                    out.Queue(uint8_t((negative >> 5) & 0xF8));
                    out.Queue(uint8_t(L - 1));
                }
            }
        } else {
            out.Literal(W[j]);
        }
        if (j > 16384) {
            for (int32_t& h : head) h = h >= 8192 ? h - 8192 : -1;
            for (int k = 0; k <= count - 8193; ++k) {
                W[k] = W[k + 8192];
                prev[k] = prev[k + 8192] >= 8192 ? prev[k + 8192] - 8192 : -1;
            }
            count -= 8192;
            while (count < kW && read < n) W[count++] = in[read++];
            j -= 8192;
        }
    }
    out.End();
    return out.Finish();
}

// A decoded token, for checking which token the packer chose.
struct Token {
    char kind;  // 'L' literal, 'S' short match, 'M' long match, 'N' no operation, 'E' end
    int length;
    int distance;
    bool operator==(const Token& o) const {
        return kind == o.kind && length == o.length && distance == o.distance;
    }
};

std::ostream& operator<<(std::ostream& os, const Token& t) {
    return os << t.kind << "(" << t.length << "," << t.distance << ")";
}

Token Lit(uint8_t b) { return {'L', 1, b}; }
Token Short(int length, int distance) { return {'S', length, distance}; }
Token Long(int length, int distance) { return {'M', length, distance}; }
const Token kEnd = {'E', 0, 0};

// Lists the tokens of a well-formed stream (the literal's byte stands in its distance).
std::vector<Token> Disassemble(const Bytes& s) {
    std::vector<Token> tokens;
    size_t pos = 0;
    uint32_t word = 0;
    int left = 0;
    auto readWord = [&] {
        word = uint32_t(s.at(pos) | (s.at(pos + 1) << 8));
        pos += 2;
        left = 16;
    };
    auto bit = [&] {
        const int b = int(word & 1);
        word >>= 1;
        if (--left == 0) readWord();
        return b;
    };
    readWord();
    for (;;) {
        if (bit()) {
            tokens.push_back(Lit(s.at(pos++)));
        } else if (!bit()) {
            const int h = bit();
            const int l = bit();
            const int b = s.at(pos++);
            tokens.push_back(Short(2 * h + l + 2, b == 0 ? 256 : 256 - b));
        } else {
            const int c = s.at(pos++);
            const int d = s.at(pos++);
            const int distance = 8192 - (((d & 0xF8) << 5) | c);
            if (d & 7) {
                tokens.push_back(Long((d & 7) + 2, distance));
                continue;
            }
            const int e = s.at(pos++);
            if (e == 0) {
                tokens.push_back(kEnd);
                return tokens;
            }
            tokens.push_back(e == 1 ? Token{'N', 0, 0} : Long(e + 1, distance));
        }
    }
}

// Pack with a canary zone behind the n + kPackSlack bytes the caller provides.
struct PackResult {
    Bytes stream;
    bool canaryIntact;
};

PackResult PackChecked(Packer& packer, const Bytes& in) {
    const size_t room = in.size() + Packer::kPackSlack;
    Bytes dst(room + 64, 0xA5);
    const uint16_t n = packer.Pack(in.data(), dst.data(), uint16_t(in.size()));
    const bool intact =
        std::all_of(dst.begin() + long(room), dst.end(), [](uint8_t b) { return b == 0xA5; });
    dst.resize(n);
    return {dst, intact};
}

Bytes PackOf(const Bytes& in) {
    auto packer = std::make_unique<Packer>();
    return PackChecked(*packer, in).stream;
}

// Unpack into a buffer with a canary zone behind `limit` bytes.
struct UnpackResult {
    bool ok;
    Bytes out;
    bool canaryIntact;
};

UnpackResult UnpackOf(const Bytes& stream, uint16_t limit) {
    auto packer = std::make_unique<Packer>();
    Bytes dst(size_t(limit) + 64, 0x5A);
    uint16_t produced = 0xFFFF;
    const bool ok =
        packer->Unpack(stream.data(), dst.data(), uint16_t(stream.size()), limit, &produced);
    const bool intact =
        std::all_of(dst.begin() + limit, dst.end(), [](uint8_t b) { return b == 0x5A; });
    EXPECT_LE(produced, limit);
    dst.resize(std::min<size_t>(produced, limit));
    return {ok, dst, intact};
}

// Packs `in` and checks the result against the reference, whose full stream it returns. A
// stream shorter than the text must be the reference's byte for byte. One that is not may be
// cut short, but Pack then returns at least the text's length, stays within its room, and
// what it wrote is the start of the reference's stream.
Bytes PackAgreeingWithReference(const Bytes& in) {
    const Bytes expected = ReferencePack(in);
    auto packer = std::make_unique<Packer>();
    const PackResult packed = PackChecked(*packer, in);
    EXPECT_TRUE(packed.canaryIntact);
    if (expected.size() < in.size()) {
        EXPECT_EQ(packed.stream, expected);
    } else {
        EXPECT_GE(packed.stream.size(), in.size());
        EXPECT_LE(packed.stream.size(), expected.size());
        EXPECT_TRUE(std::equal(packed.stream.begin(), packed.stream.end(), expected.begin()));
    }
    return expected;
}

// ---------------------------------------------------------------------------------------------
// Exact streams

struct ExactCase {
    const char* name;
    Bytes input;
    Bytes stream;
};

class PackExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(PackExact, WritesTheseBytesAndUnpacksBack) {
    const ExactCase& c = GetParam();
    EXPECT_EQ(PackOf(c.input), c.stream);
    if (!c.input.empty()) {
        EXPECT_EQ(ReferencePack(c.input), c.stream);
    }
    const UnpackResult back = UnpackOf(c.stream, uint16_t(c.input.size()));
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.out, c.input);
}

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PackExact,
    ::testing::Values(
        // The documented examples of the format (the "aa" bytes worked out by hand from it).
        ExactCase{"OneByte", FromText("Q"), FromHex("05 00 51 01 00 00")},
        ExactCase{"TwoEqualBytesAreTwoLiterals", FromText("aa"), FromHex("0B 00 61 61 01 00 00")},
        ExactCase{"AbcThrice", FromText("abcabcabc"), FromHex("57 00 61 62 63 FD FC 01 00 00")},
        ExactCase{"TenEqualBytes", Repeat('a', 10), FromHex("15 00 61 FF FF 01 00 00")},
        // Runs are cut at 256, and a length of 256 travels as the byte 255.
        ExactCase{"RunOf300", Repeat('a', 300), FromHex("55 00 61 FF F8 FF FF F8 2A 01 00 00")},
        // Nothing to pack: only the end-of-stream token (derived by hand).
        ExactCase{"Empty", Bytes{}, FromHex("02 00 01 00 00")},
        // 15 literals, then a match whose first flag is bit 15: the word goes out with the 15
        // literals and the match's bytes follow the next word.
        ExactCase{"WordEndsInsideAToken", FromText("abcdefghijklmnoabcdefghij"),
                  Concat({FromHex("FF 7F"), FromText("abcdefghijklmno"),
                          FromHex("05 00 F1 F8 09 01 00 00")})},
        // 14 literals, then a match whose last flag is bit 15.
        ExactCase{"WordEndsWithAToken", FromText("abcdefghijklmnabcdefghij"),
                  Concat({FromHex("FF BF"), FromText("abcdefghijklmn"),
                          FromHex("02 00 F2 F8 09 01 00 00")})},
        // 14 literals, then the end-of-stream flags fill the word: an empty last word follows.
        ExactCase{
            "EndFillsTheWord", FromText("abcdefghijklmn"),
            Concat({FromHex("FF BF"), FromText("abcdefghijklmn"), FromHex("00 00 01 00 00")})}),
    [](const ::testing::TestParamInfo<ExactCase>& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------------------------
// Token choice at the distance and length limits

// Distinct bytes other than those in `avoid`, so that the filler matches nothing.
Bytes DistinctFiller(size_t n, const std::string& avoid) {
    Bytes out;
    for (int b = 0; b < 256 && out.size() < n; ++b)
        if (avoid.find(char(b)) == std::string::npos) out.push_back(uint8_t(b));
    EXPECT_EQ(out.size(), n);
    return out;
}

// Random bytes other than those in `avoid` (they may match among themselves).
Bytes RandomFiller(size_t n, const std::string& avoid, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const uint8_t b = uint8_t(rng());
        if (avoid.find(char(b)) == std::string::npos) out.push_back(b);
    }
    return out;
}

Bytes Slice(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + long(from), b.begin() + long(to));
}

std::vector<Token> LiteralsOf(const Bytes& b) {
    std::vector<Token> out;
    for (uint8_t x : b) out.push_back(Lit(x));
    return out;
}

std::vector<Token> Concat(std::initializer_list<std::vector<Token>> parts) {
    std::vector<Token> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct ChoiceCase {
    const char* name;
    Bytes input;
    std::vector<Token> tail;  // the last tokens of the stream, end of stream included
};

class TokenChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(TokenChoice, EndsWithTheseTokens) {
    const ChoiceCase& c = GetParam();
    const Bytes stream = PackAgreeingWithReference(c.input);
    const std::vector<Token> tokens = Disassemble(stream);
    ASSERT_GE(tokens.size(), c.tail.size());
    EXPECT_EQ(std::vector<Token>(tokens.end() - long(c.tail.size()), tokens.end()), c.tail);
    EXPECT_EQ(UnpackOf(stream, uint16_t(c.input.size())).out, c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TokenChoice,
    ::testing::Values(
        ChoiceCase{"TwoBytesAt255AreAShortMatch",
                   Concat({FromText("xy"), DistinctFiller(253, "xy"), FromText("xy")}),
                   {Short(2, 255), kEnd}},
        ChoiceCase{"TwoBytesAt256AreLiterals",
                   Concat({FromText("xy"), DistinctFiller(254, "xy"), FromText("xy")}),
                   {Lit('x'), Lit('y'), kEnd}},
        ChoiceCase{"FiveBytesAt255AreAShortMatch",
                   Concat({FromText("vwxyz"), DistinctFiller(250, "vwxyz"), FromText("vwxyz")}),
                   {Short(5, 255), kEnd}},
        ChoiceCase{"SixBytesNearbyAreALongMatch",
                   Concat({FromText("uvwxyz"), FromText("uvwxyz")}),
                   {Long(6, 6), kEnd}},
        ChoiceCase{"ThreeBytesAt256AreALongMatch",
                   Concat({FromText("xyz"), DistinctFiller(253, "xyz"), FromText("xyz")}),
                   {Long(3, 256), kEnd}},
        ChoiceCase{"ThreeBytesAt8192AreALongMatch",
                   Concat({FromText("xyz"), RandomFiller(8189, "xyz", 1), FromText("xyz")}),
                   {Long(3, 8192), kEnd}},
        ChoiceCase{"ThreeBytesAt8193AreOutOfReach",
                   Concat({FromText("xyz"), RandomFiller(8190, "xyz", 2), FromText("xyz")}),
                   {Lit('x'), Lit('y'), Lit('z'), kEnd}},
        ChoiceCase{"NineAndTenBytesUseTheTwoLongForms",
                   Concat({FromText("abcdefghij"), Slice(DistinctFiller(40, "abcdefghij"), 0, 20),
                           FromText("abcdefghi"), Slice(DistinctFiller(40, "abcdefghij"), 20, 40),
                           FromText("abcdefghij")}),
                   Concat({{Long(9, 30)},
                           LiteralsOf(Slice(DistinctFiller(40, "abcdefghij"), 20, 40)),
                           {Long(10, 59), kEnd}})},
        // Of equal lengths the nearest wins, a longer one wins at any distance.
        ChoiceCase{
            "NearestOfEqualLengths", FromText("abcd-abcd+abcd!"), {Short(4, 5), Lit('!'), kEnd}},
        ChoiceCase{"LongerFartherWins", FromText("abcde-abcd+abcde"), {Short(5, 11), kEnd}},
        // At the last byte only one byte is left, so no match is possible.
        ChoiceCase{"LastByteIsALiteral", FromText("xyzx"), {Lit('x'), kEnd}}),
    [](const ::testing::TestParamInfo<ChoiceCase>& param) {
        return std::string(param.param.name);
    });

// ---------------------------------------------------------------------------------------------
// Agreement with the reference on varied inputs, across window slides

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out) b = uint8_t(rng());
    return out;
}

Bytes TwoLetters(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out) b = (rng() & 1) ? 'a' : 'b';
    return out;
}

// Few letters: matches mostly 3 to 8 bytes long, with many candidates of each length.
Bytes Letters(size_t n, uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out) b = uint8_t('a' + rng() % uint32_t(alphabet));
    return out;
}

Bytes ThreeLetters(size_t n, uint32_t seed) { return Letters(n, seed, 3); }
Bytes FourLetters(size_t n, uint32_t seed) { return Letters(n, seed, 4); }

// Every third byte is "a" among random bytes: many equal bytes nearby but few longer
// matches, so two-byte matches and literals decide.
Bytes SparsePairs(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = i % 3 == 0 ? 'a' : uint8_t(rng() % 64);
    return out;
}

Bytes RunsOf255(size_t n, uint32_t) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = (i % 256 == 255) ? 'b' : 'a';
    return out;
}

Bytes OneLetter(size_t n, uint32_t) { return Bytes(n, 'a'); }

// Words of a small vocabulary (Latin and CP1251 Cyrillic), spaces and line breaks, with an
// occasional digit run: many short and medium matches at all distances.
Bytes TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {
        "the", "message", "is", "sealed", "before", "it", "goes", "out", "and", "opened",
        "again", "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF2\xE5\xEA\xF1\xF2",
        "\xEF\xE0\xF0\xEE\xEB\xFC", ",", ".", "\r\n"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        if (rng() % 23 == 0) {
            for (int k = 0; k < 6; ++k) out.push_back(uint8_t('0' + rng() % 10));
        } else {
            const std::string w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
            out.insert(out.end(), w.begin(), w.end());
        }
        out.push_back(' ');
    }
    out.resize(n);
    return out;
}

// Earlier stretches copied again with a few changes: long matches at distances up to the
// window's reach and beyond, with many ties between candidates.
Bytes EditedCopies(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out = RandomBytes(std::min<size_t>(n, 300), seed);
    while (out.size() < n) {
        const size_t distance = 1 + rng() % std::min<size_t>(out.size(), 9000);
        const size_t length = 1 + rng() % 400;
        for (size_t k = 0; k < length && out.size() < n; ++k)
            out.push_back(out[out.size() - distance]);
        if (rng() % 2) out.push_back(uint8_t(rng()));
    }
    out.resize(n);
    return out;
}

struct InputKind {
    const char* name;
    Bytes (*make)(size_t, uint32_t);
};

const InputKind kKinds[] = {
    {"Random", RandomBytes},      {"TwoLetters", TwoLetters},   {"ThreeLetters", ThreeLetters},
    {"FourLetters", FourLetters}, {"SparsePairs", SparsePairs}, {"RunsOf255", RunsOf255},
    {"OneLetter", OneLetter},     {"TextLike", TextLike},       {"EditedCopies", EditedCopies}};

// Around the first slide (16384/16385/16386, and a token ending just past it), the second
// (24577) and the largest text.
const size_t kSizes[] = {1, 2, 3, 17, 1000, 16384, 16385, 16386, 16640, 17664, 24577, 40000, 64000};

class PackAgreement : public ::testing::TestWithParam<std::tuple<InputKind, size_t>> {};

TEST_P(PackAgreement, MatchesReferenceAndRoundTrips) {
    const InputKind kind = std::get<0>(GetParam());
    const size_t size = std::get<1>(GetParam());
    const Bytes input = kind.make(size, uint32_t(size));
    const Bytes stream = PackAgreeingWithReference(input);
    // Streams beyond 65535 bytes (incompressible 64000-byte texts) exceed Unpack's 16 bits.
    if (stream.size() <= 0xFFFF) {
        const UnpackResult back = UnpackOf(stream, uint16_t(size));
        EXPECT_TRUE(back.ok);
        EXPECT_TRUE(back.canaryIntact);
        EXPECT_TRUE(back.out == input);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, PackAgreement,
                         ::testing::Combine(::testing::ValuesIn(kKinds),
                                            ::testing::ValuesIn(kSizes)),
                         [](const ::testing::TestParamInfo<std::tuple<InputKind, size_t>>& param) {
                             return std::string(std::get<0>(param.param).name) + "_" +
                                    std::to_string(std::get<1>(param.param));
                         });

// Many short texts of every kind with a random length and seed: tie-breaks, chain ends and
// the last bytes of a text come out in many combinations.
TEST(Pack, ManyShortTextsMatchTheReference) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 400; ++round) {
        const InputKind& kind = kKinds[rng() % (sizeof kKinds / sizeof *kKinds)];
        const size_t size = 1 + rng() % 3000;
        const Bytes input = kind.make(size, rng());
        SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(size));
        const Bytes stream = PackAgreeingWithReference(input);
        if (stream.size() < size) {
            EXPECT_TRUE(UnpackOf(stream, uint16_t(size)).out == input);
        }
        if (HasFailure()) break;
    }
}

TEST(Pack, RandomTextStopsSoonAfterReachingItsLength) {
    for (size_t size : {1u, 30u, 1000u, 64000u, 65535u}) {
        const Bytes input = RandomBytes(size, 7);
        auto packer = std::make_unique<Packer>();
        const PackResult packed = PackChecked(*packer, input);
        EXPECT_TRUE(packed.canaryIntact) << size;
        EXPECT_GE(packed.stream.size(), size);
        EXPECT_LE(packed.stream.size(), size + Packer::kPackSlack);
    }
}

// Each call starts afresh: a Packer used before gives the same stream as a new one.
TEST(Pack, ReusedObjectGivesTheSameStreams) {
    auto packer = std::make_unique<Packer>();
    const Bytes a = TextLike(30000, 1);
    const Bytes b = EditedCopies(20000, 2);
    const Bytes firstA = PackChecked(*packer, a).stream;
    PackChecked(*packer, b);
    EXPECT_EQ(PackChecked(*packer, a).stream, firstA);
    EXPECT_EQ(PackChecked(*packer, b).stream, PackOf(b));

    Bytes plain(a.size());
    uint16_t produced = 0;
    EXPECT_TRUE(packer->Unpack(firstA.data(), plain.data(), uint16_t(firstA.size()),
                               uint16_t(a.size()), &produced));
    EXPECT_TRUE(packer->Unpack(firstA.data(), plain.data(), uint16_t(firstA.size()),
                               uint16_t(a.size()), &produced));
    EXPECT_EQ(produced, a.size());
    EXPECT_TRUE(plain == a);
}

// ---------------------------------------------------------------------------------------------
// Unpack of hand-made and damaged streams

struct UnpackCase {
    const char* name;
    std::function<Bytes()> stream;
    uint16_t limit;
    bool ok;
    Bytes output;  // what reaches dst (up to the failure for a damaged stream)
};

Bytes AllByteValues() {
    Bytes out(256);
    for (int i = 0; i < 256; ++i) out[i] = uint8_t(i);
    return out;
}

class UnpackStreams : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackStreams, DecodesOrRefuses) {
    const UnpackCase& c = GetParam();
    const UnpackResult r = UnpackOf(c.stream(), c.limit);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_TRUE(r.canaryIntact);
    EXPECT_EQ(r.out, c.output);
}

INSTANTIATE_TEST_SUITE_P(
    HandMade, UnpackStreams,
    ::testing::Values(
        // The packer never writes a short match of distance 256, but it is valid.
        UnpackCase{
            "ShortMatchOfDistance256",
            [] { return StreamWriter().Literals(AllByteValues()).Short(3, 256).End().Finish(); },
            300, true, Concat({AllByteValues(), FromHex("00 01 02")})},
        UnpackCase{"NoOperationIsSkipped",
                   [] {
                       return StreamWriter()
                           .Literal('a')
                           .NoOperation()
                           .Literal('b')
                           .NoOperation()
                           .End()
                           .Finish();
                   },
                   10, true, FromText("ab")},
        UnpackCase{
            "LongestLongMatchOverlapsItself",
            [] { return StreamWriter().Literals(FromText("xy")).Long(256, 2).End().Finish(); }, 258,
            true,
            Concat({FromText("xy"),
                    [] {
                        Bytes b;
                        for (int i = 0; i < 128; ++i) b.insert(b.end(), {'x', 'y'});
                        return b;
                    }()})},
        UnpackCase{"LongMatchOfDistance8192",
                   [] {
                       return StreamWriter()
                           .Literals(Repeat('q', 1))
                           .Literals(Repeat('r', 8191))
                           .Long(3, 8192)
                           .End()
                           .Finish();
                   },
                   8195, true, Concat({Repeat('q', 1), Repeat('r', 8191), FromText("qrr")})},
        UnpackCase{
            "BytesAfterTheEndAreIgnored",
            [] {
                return Concat({StreamWriter().Literal('z').End().Finish(), FromHex("FF FF FF")});
            },
            5, true, FromText("z")},
        UnpackCase{"OutputExactlyAtTheLimit",
                   [] { return StreamWriter().Literal('a').Long(9, 1).End().Finish(); }, 10, true,
                   Repeat('a', 10)},
        UnpackCase{"MatchBeyondTheLimit",
                   [] { return StreamWriter().Literal('a').Long(9, 1).End().Finish(); }, 9, false,
                   FromText("a")},
        UnpackCase{"LiteralBeyondTheLimit",
                   [] { return StreamWriter().Literals(FromText("abc")).End().Finish(); }, 2, false,
                   FromText("ab")},
        UnpackCase{"ZeroLimit", [] { return StreamWriter().Literal('a').End().Finish(); }, 0, false,
                   Bytes{}},
        UnpackCase{"MatchBeforeTheStart", [] { return StreamWriter().Short(2, 1).End().Finish(); },
                   10, false, Bytes{}},
        UnpackCase{
            "LongMatchReachingOneBeforeTheStart",
            [] { return StreamWriter().Literals(FromText("abc")).Long(3, 4).End().Finish(); }, 10,
            false, FromText("abc")},
        UnpackCase{
            "ShortMatch256BeforeTheStart",
            [] { return StreamWriter().Literals(Repeat('a', 255)).Short(2, 256).End().Finish(); },
            300, false, Repeat('a', 255)},
        UnpackCase{"NoEndOfStream", [] { return FromHex("07 00 61 62 63"); }, 10, false,
                   FromText("abc")},
        UnpackCase{"EmptyStream", [] { return Bytes{}; }, 10, false, Bytes{}},
        UnpackCase{"OneByteStream", [] { return FromHex("01"); }, 10, false, Bytes{}}),
    [](const ::testing::TestParamInfo<UnpackCase>& param) {
        return std::string(param.param.name);
    });

// Every proper prefix of a valid stream lacks its end-of-stream token: each is refused, and
// nothing is read past it (the prefix is copied into a buffer of exactly its size).
TEST(Unpack, EveryTruncationIsRefused) {
    const Bytes text = Concat({TextLike(600, 3), Repeat('a', 40), EditedCopies(400, 4)});
    const Bytes stream = PackOf(text);
    ASSERT_LT(stream.size(), text.size());
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        const Bytes prefix(stream.begin(), stream.begin() + long(cut));
        const UnpackResult r = UnpackOf(prefix, uint16_t(text.size()));
        EXPECT_FALSE(r.ok) << cut;
        EXPECT_TRUE(std::equal(r.out.begin(), r.out.end(), text.begin())) << cut;
    }
    EXPECT_TRUE(UnpackOf(stream, uint16_t(text.size())).ok);
}

// A limit below the text's length is refused however far short it falls, and what was
// produced is the start of the text.
TEST(Unpack, EveryLimitBelowTheLengthIsRefused) {
    const Bytes text = Concat({TextLike(300, 5), Repeat('b', 300), TextLike(300, 5)});
    const Bytes stream = PackOf(text);
    for (size_t limit = 0; limit < text.size(); ++limit) {
        const UnpackResult r = UnpackOf(stream, uint16_t(limit));
        EXPECT_FALSE(r.ok) << limit;
        EXPECT_TRUE(r.canaryIntact) << limit;
        EXPECT_TRUE(std::equal(r.out.begin(), r.out.end(), text.begin())) << limit;
    }
}

}  // namespace
}  // namespace velkaro
