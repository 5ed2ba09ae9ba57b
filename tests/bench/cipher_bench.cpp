// Cipher speed: ApplyGamma over 64 KiB against OpenSSL's GOST engine (gost89-cnt) over the same
// 64 KiB in the same run, and DeriveKey with the self-test of its fresh context.
//
// The ratio to the engine is reported as the counter "x_engine" of BM_ApplyGamma64K (engine
// time / our time, both in process CPU time so that other load on the machine cancels out;
// > 1 means faster). The engine is measured first, by BM_EngineCnt64K.

#define OPENSSL_SUPPRESS_DEPRECATED
#include <benchmark/benchmark.h>
#include <openssl/engine.h>
#include <openssl/evp.h>

#include <ctime>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "cipher_context.h"
#include "message_sink.h"
#include "password_key.h"

namespace velkaro {
namespace {

constexpr size_t kBytes = 64 * 1024;

std::vector<uint8_t> Data() {
    std::vector<uint8_t> d(kBytes);
    for (size_t i = 0; i < d.size(); ++i) d[i] = uint8_t(i * 131 + 7);
    return d;
}

const uint8_t kKey[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                          17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const uint8_t kSynchro[8] = {8, 7, 6, 5, 4, 3, 2, 1};

// Seconds per 64 KiB of the engine, kept for the ratio.
double g_engineSeconds = 0;

void BM_EngineCnt64K(benchmark::State& state) {
    ENGINE* e = ENGINE_by_id("gost");
    if (e == nullptr || !ENGINE_init(e)) {
        state.SkipWithError("GOST engine not available");
        return;
    }
    const EVP_CIPHER* cipher = ENGINE_get_cipher(e, NID_gost89_cnt);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::vector<uint8_t> in = Data(), out(kBytes + 16);
    double seconds = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        int written = 0;
        EVP_EncryptInit_ex(ctx, cipher, e, kKey, kSynchro);
        EVP_EncryptUpdate(ctx, out.data(), &written, in.data(), int(in.size()));
        benchmark::DoNotOptimize(out.data());
        seconds += double(std::clock() - start) / CLOCKS_PER_SEC;
        ++runs;
    }
    g_engineSeconds = seconds / double(runs);
    state.SetBytesProcessed(state.iterations() * int64_t(kBytes));
    EVP_CIPHER_CTX_free(ctx);
    ENGINE_finish(e);
    ENGINE_free(e);
}
BENCHMARK(BM_EngineCnt64K);

void BM_ApplyGamma64K(benchmark::State& state) {
    CipherContext ctx;
    CipherKey key{};
    std::memcpy(key.key, kKey, 32);
    ctx.SetKey(key);
    std::vector<uint8_t> in = Data(), out(kBytes);
    double seconds = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        ctx.StartGamma(kSynchro);
        ctx.ApplyGamma(in.data(), out.data(), uint32_t(kBytes));
        benchmark::DoNotOptimize(out.data());
        seconds += double(std::clock() - start) / CLOCKS_PER_SEC;
        ++runs;
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kBytes));
    if (g_engineSeconds > 0) state.counters["x_engine"] = g_engineSeconds / (seconds / double(runs));
}
BENCHMARK(BM_ApplyGamma64K);

// The plain one-block-at-a-time gamma through the public block cycle, for comparison with the
// four-blocks-side-by-side path.
void BM_PlainGamma64K(benchmark::State& state) {
    CipherContext ctx;
    CipherKey key{};
    std::memcpy(key.key, kKey, 32);
    ctx.SetKey(key);
    std::vector<uint8_t> in = Data(), out(kBytes);
    for (auto _ : state) {
        ctx.StartGamma(kSynchro);
        for (size_t at = 0; at < kBytes; at += 8) {
            ctx.N3 += 0x01010101u;
            const uint64_t sum = uint64_t(ctx.N4) + 0x01010104u;
            ctx.N4 = uint32_t(sum) + uint32_t(sum >> 32);
            ctx.N1 = ctx.N3;
            ctx.N2 = ctx.N4;
            ctx.EncryptBlock();
            for (int i = 0; i < 4; ++i) {
                out[at + i] = in[at + i] ^ uint8_t(ctx.N1 >> (8 * i));
                out[at + 4 + i] = in[at + 4 + i] ^ uint8_t(ctx.N2 >> (8 * i));
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kBytes));
}
BENCHMARK(BM_PlainGamma64K);

// One password check as the program makes it: a fresh context, its self-test, the expansion
// and the derivation.
void BM_DeriveKey(benchmark::State& state) {
    NullSink sink;
    CipherKey out;
    int32_t keyPresent = 0;
    for (auto _ : state) {
        char password[32] = "correct horse";
        DeriveKey(password, out, keyPresent, sink);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMicrosecond);

void BM_ContextConstruction(benchmark::State& state) {
    for (auto _ : state) {
        CipherContext ctx;
        benchmark::DoNotOptimize(ctx.ok);
    }
}
BENCHMARK(BM_ContextConstruction)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro

BENCHMARK_MAIN();
