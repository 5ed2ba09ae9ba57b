// CipherContext: box tables, self-test, block cycles, gamma (fast path against a plain
// one-block-at-a-time reference), MAC, keys. Agreement with an independent implementation is
// checked separately against OpenSSL's GOST engine (tests/crosscheck).

#include "cipher_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace velkaro {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Word(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Bytes RandomBytes(std::mt19937& rng, size_t n) {
    Bytes b(n);
    for (auto& x : b) x = uint8_t(rng());
    return b;
}

CipherKey RandomKey(std::mt19937& rng) {
    CipherKey k{};
    for (auto& b : k.key) b = uint8_t(rng());
    return k;
}

// Row K(r) of a packed box: entry 4i + t holds K(2t+2)[i] in the high and K(2t+1)[i] in the
// low nibble.
std::vector<int> BoxRow(const SubstitutionBox& box, int r) {
    const int t = (r - 1) / 2;
    const bool high = (r % 2) == 0;
    std::vector<int> row;
    for (int i = 0; i < 16; ++i) row.push_back(high ? box[4 * i + t] >> 4 : box[4 * i + t] & 15);
    return row;
}

// ---- Box tables -------------------------------------------------------------------------------

// Rows K1 and K8 of id-Gost28147-89-TestParamSet, as quoted to tell the set from its namesakes.
TEST(SubstitutionBox, TestParamSetRowsK1AndK8AreThePublishedOnes) {
    EXPECT_EQ(BoxRow(kTestParamSetBox, 1),
              (std::vector<int>{0x4, 0x2, 0xF, 0x5, 0x9, 0x1, 0x0, 0x8, 0xE, 0x3, 0xB, 0xC, 0xD,
                                0x7, 0xA, 0x6}));
    EXPECT_EQ(BoxRow(kTestParamSetBox, 8),
              (std::vector<int>{0xC, 0x6, 0x5, 0x2, 0xB, 0x0, 0x9, 0xD, 0x3, 0xE, 0x7, 0xA, 0xF,
                                0x4, 0x1, 0x8}));
}

TEST(SubstitutionBox, EveryRowOfBothBoxesIsAPermutation) {
    for (const SubstitutionBox* box : {&kTestParamSetBox, &kCryptoProABox}) {
        for (int r = 1; r <= 8; ++r) {
            std::vector<int> row = BoxRow(*box, r);
            std::sort(row.begin(), row.end());
            for (int i = 0; i < 16; ++i) EXPECT_EQ(row[size_t(i)], i) << "row K" << r;
        }
    }
}

TEST(SubstitutionBox, ExpandedTablesFollowThePackedBox) {
    CipherContext ctx;
    for (int t = 0; t < 4; ++t) {
        const std::vector<int> low = BoxRow(kTestParamSetBox, 2 * t + 1);
        const std::vector<int> high = BoxRow(kTestParamSetBox, 2 * t + 2);
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(ctx.T[t][x], uint32_t(high[size_t(x >> 4)] << 4 | low[size_t(x & 15)]))
                << "T[" << t << "][" << x << "]";
        }
    }
}

// ---- Self-test --------------------------------------------------------------------------------

TEST(SelfTest, FreshContextPassesAndHoldsTheTestKey) {
    CipherContext ctx;
    EXPECT_EQ(ctx.ok, 1);
    EXPECT_TRUE(ctx.SelfTest());
    // The random generator relies on the test key being loaded after construction.
    const uint8_t testKey[32] = {0x8f, 0x2a, 0x58, 0x82, 0x3a, 0x25, 0xa1, 0x06, 0xea, 0x9b, 0x74,
                                 0x30, 0x64, 0x44, 0x0c, 0xcc, 0xed, 0x29, 0x68, 0x0c, 0x57, 0x67,
                                 0x92, 0x65, 0xe8, 0xf1, 0xb2, 0xe6, 0x4f, 0x51, 0xa6, 0x84};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ctx.K[i], Word(testKey + 4 * i)) << "K[" << i << "]";
}

TEST(SelfTest, WrongBoxFails) {
    CipherContext other(kCryptoProABox);
    EXPECT_EQ(other.ok, 0);

    // A single swapped pair of entries in one row is caught as well.
    SubstitutionBox damaged;
    std::memcpy(damaged, kTestParamSetBox, sizeof damaged);
    std::swap(damaged[4 * 3 + 2], damaged[4 * 9 + 2]);
    CipherContext broken(damaged);
    EXPECT_EQ(broken.ok, 0);
}

// ---- Block cycles -----------------------------------------------------------------------------

TEST(BlockCycles, DecryptRestoresWhatEncryptChanged) {
    std::mt19937 rng(1);
    CipherContext ctx;
    for (int i = 0; i < 50; ++i) {
        ctx.SetKey(RandomKey(rng));
        const uint32_t a = rng(), b = rng();
        ctx.N1 = a;
        ctx.N2 = b;
        ctx.EncryptBlock();
        EXPECT_FALSE(ctx.N1 == a && ctx.N2 == b);
        ctx.DecryptBlock();
        EXPECT_EQ(ctx.N1, a);
        EXPECT_EQ(ctx.N2, b);
    }
}

// ---- Gamma ------------------------------------------------------------------------------------

// The plain gamma, one block at a time, written from the standard's description; the fast
// ApplyGamma must give exactly the same bytes and leave the same state.
struct ReferenceGamma {
    CipherContext& ctx;

    void Step() {
        ctx.N3 += 0x01010101u;
        const uint64_t sum = uint64_t(ctx.N4) + 0x01010104u;
        ctx.N4 = uint32_t(sum) + uint32_t(sum >> 32);  // end-around carry
        ctx.N1 = ctx.N3;
        ctx.N2 = ctx.N4;
        ctx.EncryptBlock();
    }
    void Apply(const uint8_t* in, uint8_t* out, uint32_t len) {
        for (uint32_t at = 0; at < len; at += 8) {
            Step();
            uint8_t gamma[8];
            for (int i = 0; i < 4; ++i) {
                gamma[i] = uint8_t(ctx.N1 >> (8 * i));
                gamma[4 + i] = uint8_t(ctx.N2 >> (8 * i));
            }
            for (uint32_t i = 0; i < 8 && at + i < len; ++i) out[at + i] = in[at + i] ^ gamma[i];
        }
    }
};

class Gamma : public ::testing::Test {
protected:
    void SetUp() override {
        key_ = RandomKey(rng_);
        for (auto& b : synchro_) b = uint8_t(rng_());
    }
    // Two contexts with the same key and counters: one for ApplyGamma, one for the reference.
    void Start(CipherContext& fast, CipherContext& plain) {
        fast.SetKey(key_);
        plain.SetKey(key_);
        fast.StartGamma(synchro_);
        plain.StartGamma(synchro_);
    }
    static void ExpectSameState(const CipherContext& a, const CipherContext& b) {
        EXPECT_EQ(a.N1, b.N1);
        EXPECT_EQ(a.N2, b.N2);
        EXPECT_EQ(a.N3, b.N3);
        EXPECT_EQ(a.N4, b.N4);
    }

    std::mt19937 rng_{7};
    CipherKey key_;
    uint8_t synchro_[8];
};

TEST_F(Gamma, StartGammaEncryptsTheSynchroIntoTheCounters) {
    CipherContext ctx;
    ctx.SetKey(key_);
    ctx.StartGamma(synchro_);
    CipherContext check;
    check.SetKey(key_);
    check.N1 = Word(synchro_);
    check.N2 = Word(synchro_ + 4);
    check.EncryptBlock();
    EXPECT_EQ(ctx.N3, check.N1);
    EXPECT_EQ(ctx.N4, check.N2);
}

TEST_F(Gamma, EveryLengthUpTo100EqualsTheReferenceInPlaceAndOutOfPlace) {
    for (uint32_t len = 0; len <= 100; ++len) {
        const Bytes data = RandomBytes(rng_, len);
        CipherContext fast, plain;
        Start(fast, plain);
        Bytes expected(len);
        ReferenceGamma{plain}.Apply(data.data(), expected.data(), len);

        // Out of place: exactly len bytes are written.
        Bytes out(len + 8, 0xAA);
        fast.ApplyGamma(data.data(), out.data(), len);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + len), expected) << "length " << len;
        EXPECT_EQ(Bytes(out.begin() + len, out.end()), Bytes(8, 0xAA)) << "length " << len;
        ExpectSameState(fast, plain);

        // Tests that output and input can be the same pointer.
        CipherContext again, unused;
        Start(again, unused);
        Bytes buf = data;
        again.ApplyGamma(buf.data(), buf.data(), len);
        EXPECT_EQ(buf, expected) << "in place, length " << len;
    }
}

TEST_F(Gamma, RandomSplitsEqualTheReferenceCalledTheSameWay) {
    for (int round = 0; round < 200; ++round) {
        CipherContext fast, plain;
        Start(fast, plain);
        const uint32_t total = rng_() % 400;
        Bytes data = RandomBytes(rng_, total), expected(total);
        Bytes buf = data;
        uint32_t at = 0;
        while (at < total) {
            const uint32_t piece = std::min<uint32_t>(total - at, rng_() % 70);
            ReferenceGamma{plain}.Apply(data.data() + at, expected.data() + at, piece);
            fast.ApplyGamma(buf.data() + at, buf.data() + at, piece);
            at += piece;
        }
        ASSERT_EQ(buf, expected) << "round " << round;
        ExpectSameState(fast, plain);
    }
}

// Decryption is the same operation as encryption.
TEST_F(Gamma, ApplyingTwiceRestoresTheText) {
    const Bytes data = RandomBytes(rng_, 333);
    CipherContext ctx;
    ctx.SetKey(key_);
    ctx.StartGamma(synchro_);
    Bytes buf = data;
    ctx.ApplyGamma(buf.data(), buf.data(), uint32_t(buf.size()));
    EXPECT_NE(buf, data);
    ctx.StartGamma(synchro_);
    ctx.ApplyGamma(buf.data(), buf.data(), uint32_t(buf.size()));
    EXPECT_EQ(buf, data);
}

// 13 bytes take two gamma blocks; the next call continues with the third counter value.
TEST_F(Gamma, ThirteenBytesAdvanceTheCountersTwiceAndTheNextCallUsesTheThird) {
    CipherContext ctx, plain;
    Start(ctx, plain);
    const uint32_t n3 = ctx.N3;
    Bytes first(13), second(8);
    const Bytes zeros(16, 0);
    ctx.ApplyGamma(zeros.data(), first.data(), 13);
    EXPECT_EQ(ctx.N3, n3 + 2 * 0x01010101u);
    ctx.ApplyGamma(zeros.data(), second.data(), 8);

    Bytes stream(24);
    ReferenceGamma{plain}.Apply(Bytes(24, 0).data(), stream.data(), 24);
    EXPECT_EQ(first, Bytes(stream.begin(), stream.begin() + 13));
    EXPECT_EQ(second, Bytes(stream.begin() + 16, stream.end()));
}

struct CarryCase {
    uint32_t n4Before;
    uint32_t n4After;
};

class GammaCarry : public ::testing::TestWithParam<CarryCase> {};

TEST_P(GammaCarry, N4AddsWithEndAroundCarry) {
    CipherContext ctx;
    ctx.N3 = 0;
    ctx.N4 = GetParam().n4Before;
    uint8_t byte = 0;
    ctx.ApplyGamma(&byte, &byte, 1);
    EXPECT_EQ(ctx.N4, GetParam().n4After);
}

INSTANTIATE_TEST_SUITE_P(Counters, GammaCarry,
                         ::testing::Values(CarryCase{0xFEFEFEFCu, 0x00000001u},  // wrap plus carry
                                           CarryCase{0xFEFEFEFBu, 0xFFFFFFFFu},  // no wrap
                                           CarryCase{0xFFFFFFFFu, 0x01010104u},
                                           CarryCase{0x00000000u, 0x01010104u}));

// The four-block path computes its counters ahead; carries inside a group of four and across
// groups must come out as in the plain path, for N3 and N4 both.
TEST_F(Gamma, FastPathMatchesTheReferenceAcrossCounterWraps) {
    const uint32_t starts[] = {0xFEFEFEFBu, 0xFEFEFEFCu, 0xFCFCFCF0u, 0xFFFFFFFFu, 0xFAFAFAF0u};
    for (uint32_t n4 : starts) {
        CipherContext fast, plain;
        fast.SetKey(key_);
        plain.SetKey(key_);
        fast.N3 = plain.N3 = n4 - 0x100;  // N3 wraps nearby as well
        fast.N4 = plain.N4 = n4;
        const Bytes data = RandomBytes(rng_, 96);
        Bytes out(96), expected(96);
        fast.ApplyGamma(data.data(), out.data(), 96);
        ReferenceGamma{plain}.Apply(data.data(), expected.data(), 96);
        EXPECT_EQ(out, expected) << std::hex << n4;
        ExpectSameState(fast, plain);
    }
}

TEST_F(Gamma, RegistersHoldTheLastGammaBlock) {
    for (uint32_t len : {5u, 8u, 32u, 45u}) {
        CipherContext ctx, unused;
        Start(ctx, unused);
        Bytes zeros(len, 0), gamma(len);
        ctx.ApplyGamma(zeros.data(), gamma.data(), len);
        const uint32_t lastStart = (len - 1) / 8 * 8;
        uint8_t last[8];
        for (int i = 0; i < 4; ++i) {
            last[i] = uint8_t(ctx.N1 >> (8 * i));
            last[4 + i] = uint8_t(ctx.N2 >> (8 * i));
        }
        for (uint32_t i = lastStart; i < len; ++i) EXPECT_EQ(gamma[i], last[i - lastStart]);
    }
}

// ---- MAC --------------------------------------------------------------------------------------

class Mac : public ::testing::Test {
protected:
    void SetUp() override { ctx_.SetKey(RandomKey(rng_)); }
    uint32_t MacOf(const Bytes& data) {
        uint32_t acc[2] = {0, 0};
        ctx_.Mac(acc, data.data(), uint32_t(data.size()));
        return acc[0];
    }
    std::mt19937 rng_{11};
    CipherContext ctx_;
};

TEST_F(Mac, EmptyDataLeavesTheAccumulator) {
    uint32_t acc[2] = {0, 0};
    ctx_.Mac(acc, nullptr, 0);
    EXPECT_EQ(acc[0], 0u);
    EXPECT_EQ(acc[1], 0u);
    uint32_t busy[2] = {0x12345678u, 0x9ABCDEF0u};
    ctx_.Mac(busy, nullptr, 0);
    EXPECT_EQ(busy[0], 0x12345678u);
    EXPECT_EQ(busy[1], 0x9ABCDEF0u);
}

TEST_F(Mac, ShortDataIsOneZeroPaddedBlock) {
    for (size_t n = 1; n <= 7; ++n) {
        Bytes data = RandomBytes(rng_, n);
        Bytes padded = data;
        padded.resize(8, 0);
        EXPECT_EQ(MacOf(data), MacOf(padded)) << n << " bytes";
    }
}

// Exactly one block is processed once: no zero block is added, so the MAC differs from that of
// the block followed by a zero block, and equals one 16-round cycle on the block.
TEST_F(Mac, OneBlockIsProcessedOnce) {
    const Bytes block = RandomBytes(rng_, 8);
    Bytes withZeroBlock = block;
    withZeroBlock.resize(16, 0);
    EXPECT_NE(MacOf(block), MacOf(withZeroBlock));

    // Folding the block and then a zero block in a second call gives the 16-byte MAC, which
    // shows that the first call ran exactly one cycle.
    uint32_t acc[2] = {0, 0};
    ctx_.Mac(acc, block.data(), 8);
    const uint8_t zeros[8] = {};
    ctx_.Mac(acc, zeros, 8);
    EXPECT_EQ(acc[0], MacOf(withZeroBlock));
}

TEST_F(Mac, ContinuedCallsOnBlockBoundariesEqualOneCall) {
    const Bytes data = RandomBytes(rng_, 77);
    for (uint32_t split = 0; split <= 72; split += 8) {
        uint32_t acc[2] = {0, 0};
        ctx_.Mac(acc, data.data(), split);
        ctx_.Mac(acc, data.data() + split, uint32_t(data.size()) - split);
        EXPECT_EQ(acc[0], MacOf(data)) << "split " << split;
    }
}

TEST_F(Mac, RegistersAreRestored) {
    ctx_.N1 = 0xCAFEBABEu;
    ctx_.N2 = 0x0BADF00Du;
    MacOf(RandomBytes(rng_, 40));
    EXPECT_EQ(ctx_.N1, 0xCAFEBABEu);
    EXPECT_EQ(ctx_.N2, 0x0BADF00Du);
}

// ---- Keys -------------------------------------------------------------------------------------

TEST(SetKey, VerifiesTheCheckValueAndLoadsTheKeyEitherWay) {
    std::mt19937 rng(3);
    CipherContext ctx;
    CipherKey key = RandomKey(rng);
    uint32_t acc[2] = {0, 0};
    CipherContext scratch;
    scratch.SetKey(key);
    scratch.Mac(acc, kDerivationConstant, 32);
    key.check = acc[0];

    ctx.N1 = 1;
    ctx.N2 = 2;
    EXPECT_TRUE(ctx.SetKey(key));
    key.check ^= 0x00010000u;
    EXPECT_FALSE(ctx.SetKey(key));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ctx.K[i], Word(key.key + 4 * i));
    EXPECT_EQ(ctx.N1, 1u);
    EXPECT_EQ(ctx.N2, 2u);
}

TEST(DeriveCipherKey, DecryptsTheSourceAndSetsAVerifiableCheck) {
    std::mt19937 rng(5);
    CipherContext ctx;
    const CipherKey outer = RandomKey(rng);
    ctx.SetKey(outer);
    const Bytes source = RandomBytes(rng, 32);
    CipherKey out;
    ctx.DeriveCipherKey(source.data(), out);

    // Each block of out.key encrypts back to the source block under the outer key.
    CipherContext check;
    check.SetKey(outer);
    for (int b = 0; b < 4; ++b) {
        check.N1 = Word(out.key + 8 * b);
        check.N2 = Word(out.key + 8 * b + 4);
        check.EncryptBlock();
        EXPECT_EQ(check.N1, Word(source.data() + 8 * b));
        EXPECT_EQ(check.N2, Word(source.data() + 8 * b + 4));
    }
    // The new key is loaded, its check verifies, and N1, N2 hold key words 6 and 7.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ctx.K[i], Word(out.key + 4 * i));
    EXPECT_EQ(ctx.N1, Word(out.key + 24));
    EXPECT_EQ(ctx.N2, Word(out.key + 28));
    CipherContext verify;
    EXPECT_TRUE(verify.SetKey(out));
}

TEST(DeriveCipherKey, InPlaceEqualsSeparateBuffers) {
    std::mt19937 rng(9);
    const CipherKey outer = RandomKey(rng);
    const Bytes source = RandomBytes(rng, 32);

    CipherContext separate;
    separate.SetKey(outer);
    CipherKey out;
    separate.DeriveCipherKey(source.data(), out);

    CipherContext inPlace;
    inPlace.SetKey(outer);
    CipherKey same;
    std::memcpy(same.key, source.data(), 32);
    inPlace.DeriveCipherKey(same.key, same);

    EXPECT_EQ(0, std::memcmp(&out, &same, sizeof out));
    EXPECT_EQ(inPlace.N1, separate.N1);
    EXPECT_EQ(inPlace.N2, separate.N2);
}

}  // namespace
}  // namespace velkaro
