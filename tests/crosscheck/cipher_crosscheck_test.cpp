// CipherContext against OpenSSL's GOST engine: single blocks, gamma and MAC, with the
// CryptoPro-A box (the engine's default for gost89-cnt and gost-mac) and with the engine
// switched to id-Gost28147-89-TestParamSet, the box of every message the program seals.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "cipher_context.h"
#include "gost_engine.h"
#include "message_sink.h"
#include "password_key.h"

namespace velkaro::crosscheck {
namespace {

struct BoxCase {
    const char* testName;
    const char* engineName;
    const SubstitutionBox* box;
};

std::ostream& operator<<(std::ostream& os, const BoxCase& c) { return os << c.engineName; }

const BoxCase kBoxes[] = {
    {"CryptoProA", kCryptoProAName, &kCryptoProABox},
    {"TestParamSet", kTestParamSetName, &kTestParamSetBox},
};

Bytes RandomBytes(std::mt19937& rng, size_t n) {
    Bytes b(n);
    for (auto& x : b) x = uint8_t(rng());
    return b;
}

uint32_t Word(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Bytes WordBytes(uint32_t a, uint32_t b) {
    return {uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), uint8_t(a >> 24),
            uint8_t(b), uint8_t(b >> 8), uint8_t(b >> 16), uint8_t(b >> 24)};
}

CipherKey MakeKey(const Bytes& key) {
    CipherKey rec{};
    std::memcpy(rec.key, key.data(), 32);
    return rec;
}

class EngineCrossCheck : public ::testing::TestWithParam<BoxCase> {
protected:
    static void SetUpTestSuite() { engine_ = new GostEngine; }
    static void TearDownTestSuite() {
        delete engine_;
        engine_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(engine_->loaded()) << engine_->error(); }

    // A context with the box of this case, keyed with `key`.
    CipherContext Keyed(const Bytes& key) const {
        CipherContext ctx(*GetParam().box);
        ctx.SetKey(MakeKey(key));
        return ctx;
    }

    static GostEngine* engine_;
    std::mt19937 rng_{20261210};
};

GostEngine* EngineCrossCheck::engine_ = nullptr;

TEST_P(EngineCrossCheck, SingleBlocksEncryptAndDecryptAsTheEngine) {
    for (int i = 0; i < 32; ++i) {
        const Bytes key = RandomBytes(rng_, 32);
        const Bytes block = RandomBytes(rng_, 8);
        const Bytes expected = engine_->EncryptBlock(GetParam().engineName, key, block);

        CipherContext ctx = Keyed(key);
        ctx.N1 = Word(block.data());
        ctx.N2 = Word(block.data() + 4);
        ctx.EncryptBlock();
        EXPECT_EQ(Hex(WordBytes(ctx.N1, ctx.N2)), Hex(expected)) << "key " << Hex(key);

        ctx.DecryptBlock();
        EXPECT_EQ(Hex(WordBytes(ctx.N1, ctx.N2)), Hex(block));
    }
}

TEST_P(EngineCrossCheck, GammaEqualsTheEngineForManyLengths) {
    const uint32_t lengths[] = {1,  7,  8,  9,   13,  16,  31,   32,  33,
                                63, 64, 65, 100, 255, 256, 1000, 1024};
    for (uint32_t len : lengths) {
        for (int round = 0; round < 3; ++round) {
            const Bytes key = RandomBytes(rng_, 32);
            const Bytes synchro = RandomBytes(rng_, 8);
            const Bytes data = RandomBytes(rng_, len);
            const Bytes expected = engine_->Gamma(GetParam().engineName, key, synchro, data);

            CipherContext ctx = Keyed(key);
            ctx.StartGamma(synchro.data());
            Bytes out(len);
            ctx.ApplyGamma(data.data(), out.data(), len);
            EXPECT_EQ(Hex(out), Hex(expected)) << "length " << len;
        }
    }
}

// Each call of ApplyGamma starts on a fresh gamma block: a short last block uses up its
// whole counter step. So a stream split into two calls at offset s equals the engine's
// gamma for the first s bytes, and the engine's gamma from the next block boundary on for the
// rest. Checked for every split, in place.
TEST_P(EngineCrossCheck, GammaSplitAtEveryOffsetContinuesOnTheNextBlock) {
    for (uint32_t len : {13u, 40u, 77u, 130u}) {
        const Bytes key = RandomBytes(rng_, 32);
        const Bytes synchro = RandomBytes(rng_, 8);
        const Bytes data = RandomBytes(rng_, len);
        const Bytes stream = engine_->Gamma(GetParam().engineName, key, synchro, Bytes(len + 8, 0));
        for (uint32_t split = 0; split <= len; ++split) {
            const uint32_t resume = (split + 7) / 8 * 8;
            Bytes expected = data;
            for (uint32_t i = 0; i < split; ++i) expected[i] ^= stream[i];
            for (uint32_t i = split; i < len; ++i) expected[i] ^= stream[resume + i - split];

            CipherContext ctx = Keyed(key);
            ctx.StartGamma(synchro.data());
            Bytes buf = data;
            ctx.ApplyGamma(buf.data(), buf.data(), split);
            ctx.ApplyGamma(buf.data() + split, buf.data() + split, len - split);
            ASSERT_EQ(Hex(buf), Hex(expected)) << "length " << len << " split " << split;
        }
    }
}

// Whole blocks fed one call at a time give the engine's stream unchanged.
TEST_P(EngineCrossCheck, GammaBlockByBlockEqualsTheEngine) {
    const Bytes key = RandomBytes(rng_, 32);
    const Bytes synchro = RandomBytes(rng_, 8);
    const Bytes data = RandomBytes(rng_, 200);
    const Bytes expected = engine_->Gamma(GetParam().engineName, key, synchro, data);
    CipherContext ctx = Keyed(key);
    ctx.StartGamma(synchro.data());
    Bytes out(data.size());
    for (size_t at = 0; at < data.size(); at += 8)
        ctx.ApplyGamma(data.data() + at, out.data() + at, 8);
    EXPECT_EQ(Hex(out), Hex(expected));
}

TEST_P(EngineCrossCheck, MacEqualsTheEngine) {
    const uint32_t lengths[] = {9, 15, 16, 17, 24, 32, 33, 80, 100, 512, 1023, 1024};
    for (uint32_t len : lengths) {
        for (int round = 0; round < 3; ++round) {
            const Bytes key = RandomBytes(rng_, 32);
            const Bytes data = RandomBytes(rng_, len);
            const Bytes expected = engine_->Mac(GetParam().engineName, key, data);

            CipherContext ctx = Keyed(key);
            uint32_t acc[2] = {0, 0};
            ctx.Mac(acc, data.data(), len);
            EXPECT_EQ(Hex(WordBytes(acc[0], 0)).substr(0, 8), Hex(expected)) << "length " << len;
        }
    }
}

std::string BoxTestName(const ::testing::TestParamInfo<BoxCase>& param) {
    return param.param.testName;
}

INSTANTIATE_TEST_SUITE_P(Boxes, EngineCrossCheck, ::testing::ValuesIn(kBoxes), BoxTestName);

// The self-test's data checked through the engine with the test box. A fresh context passes
// its self-test only when its stored expectations equal what this code computes on these inputs,
// and here this code is held against the engine on exactly those inputs. The test also prints
// the expectations in the form cipher_context.cpp stores them.
TEST(SelfTestVectors, OurResultsOnTheSelfTestDataEqualTheEngine) {
    GostEngine engine;
    ASSERT_TRUE(engine.loaded()) << engine.error();
    // Test key, synchro and plaintext of the self-test.
    const Bytes key = FromHex("8f2a58823a25a106ea9b743064440ccced29680c57679265e8f1b2e64f51a684");
    const Bytes synchro = FromHex("422af84b20019290");
    const Bytes plain = FromHex(
        "07060504030201000f0e0d0c0b0a09081716151413121110"
        "1f1e1d1c1b1a1918");
    const Bytes constant(kDerivationConstant, kDerivationConstant + 32);

    CipherContext ctx(kTestParamSetBox);
    EXPECT_EQ(ctx.ok, 1);
    ctx.SetKey(MakeKey(key));

    uint32_t check[2] = {0, 0};
    ctx.Mac(check, constant.data(), 32);
    EXPECT_EQ(Hex(WordBytes(check[0], 0)).substr(0, 8),
              Hex(engine.Mac(kTestParamSetName, key, constant)));

    ctx.N1 = Word(plain.data());
    ctx.N2 = Word(plain.data() + 4);
    ctx.EncryptBlock();
    const uint32_t block[2] = {ctx.N1, ctx.N2};
    EXPECT_EQ(
        Hex(WordBytes(block[0], block[1])),
        Hex(engine.EncryptBlock(kTestParamSetName, key, Bytes(plain.begin(), plain.begin() + 8))));

    ctx.StartGamma(synchro.data());
    Bytes gamma(32);
    ctx.ApplyGamma(plain.data(), gamma.data(), 32);
    EXPECT_EQ(Hex(gamma), Hex(engine.Gamma(kTestParamSetName, key, synchro, plain)));

    uint32_t mac[2] = {0, 0};
    ctx.Mac(mac, plain.data(), 32);
    EXPECT_EQ(Hex(WordBytes(mac[0], 0)).substr(0, 8),
              Hex(engine.Mac(kTestParamSetName, key, plain)));

    std::printf("const uint32_t kSelfTestKeyCheck = 0x%08X;\n", check[0]);
    std::printf("const uint32_t kSelfTestBlock[2] = {0x%08X, 0x%08X};\n", block[0], block[1]);
    std::printf("const uint32_t kSelfTestGamma[8] = {");
    for (int i = 0; i < 8; ++i) std::printf("%s0x%08X", i ? ", " : "", Word(gamma.data() + 4 * i));
    std::printf("};\nconst uint32_t kSelfTestMac = 0x%08X;\n", mac[0]);
}

// The whole key derivation of a password through the engine: the derivation constant decrypted
// block by block under the expanded password, and the check value as the engine's MAC of the
// constant under the result.
TEST(PasswordKey, DeriveKeyEqualsTheEngine) {
    struct SilentSink : MessageSink {
        int ShowMessage(uint32_t, uint32_t) override { return 1; }
    } sink;
    GostEngine engine;
    ASSERT_TRUE(engine.loaded()) << engine.error();
    const Bytes constant(kDerivationConstant, kDerivationConstant + 32);
    struct Case {
        const char* password;
        const char* expandedHex;
    };
    const Case cases[] = {
        // "пароль" in CP1251 with its zero, repeated.
        {"\xEF\xE0\xF0\xEE\xEB\xFC",
         "efe0f0eeebfc00efe0f0eeebfc00efe0f0eeebfc00efe0f0eeebfc00efe0f0ee"},
        {"correct horse battery staple, and more",
         "636f727265637420686f72736520626174746572792073746170"
         "6c652c20616e"},
    };
    for (const Case& c : cases) {
        char buffer[64] = {};
        std::snprintf(buffer, sizeof buffer, "%s", c.password);
        CipherKey ours;
        int32_t keyPresent = 0;
        ASSERT_TRUE(DeriveKey(buffer, ours, keyPresent, sink));

        const Bytes expanded = FromHex(c.expandedHex);
        ASSERT_EQ(expanded.size(), 32u);
        Bytes key;
        for (size_t at = 0; at < 32; at += 8) {
            const Bytes block =
                engine.DecryptBlock(kTestParamSetName, expanded,
                                    Bytes(constant.begin() + at, constant.begin() + at + 8));
            key.insert(key.end(), block.begin(), block.end());
        }
        EXPECT_EQ(Hex(Bytes(ours.key, ours.key + 32)), Hex(key)) << c.password;
        EXPECT_EQ(Hex(WordBytes(ours.check, 0)).substr(0, 8),
                  Hex(engine.Mac(kTestParamSetName, key, constant)));
    }
}

}  // namespace
}  // namespace velkaro::crosscheck
