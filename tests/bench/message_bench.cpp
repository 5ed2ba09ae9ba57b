// Seal and Open of a 64,000-byte letter (goal: each within 2 ms), packed and stored plain.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "message_cipher.h"
#include "message_sink.h"
#include "password_key.h"
#include "text_limits.h"

namespace {

using namespace velkaro;

std::string Noise(size_t n) {
    std::mt19937 rng(7);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng());
    return s;
}

struct Fixture {
    Fixture() : scratch(kTextBufferCapacity), text(kTextBufferCapacity), out(kTextBufferCapacity),
                cipher(sink, key, tag, scratch.data()) {
        char password[32] = "benchmark password";
        int32_t present = 0;
        DeriveKey(password, key, present, sink);
    }
    NullSink sink;
    CipherKey key = {};
    uint8_t tag[36] = {};
    std::vector<uint8_t> scratch;
    std::vector<char> text, out;
    MessageCipher cipher;
};

void Seal(benchmark::State& state, const std::string& plain) {
    Fixture f;
    for (auto _ : state) {
        std::memcpy(f.text.data(), plain.data(), plain.size());
        if (!f.cipher.Seal(f.text.data(), f.out.data(), uint32_t(plain.size()))) {
            state.SkipWithError("Seal failed");
            break;
        }
        benchmark::DoNotOptimize(f.out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(plain.size()));
}

void Open(benchmark::State& state, const std::string& plain) {
    Fixture f;
    std::memcpy(f.text.data(), plain.data(), plain.size());
    if (!f.cipher.Seal(f.text.data(), f.out.data(), uint32_t(plain.size()))) {
        state.SkipWithError("Seal failed");
        return;
    }
    const std::string block(f.out.data());
    for (auto _ : state) {
        uint32_t len = uint32_t(block.size());
        if (!f.cipher.Open(block.data(), f.text.data(), &len)) {
            state.SkipWithError("Open failed");
            break;
        }
        benchmark::DoNotOptimize(f.text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(plain.size()));
}

}  // namespace

BENCHMARK_CAPTURE(Seal, letter_64000_packed, Letter(64000))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Open, letter_64000_packed, Letter(64000))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Seal, noise_46000_plain, Noise(46000))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Open, noise_46000_plain, Noise(46000))->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
