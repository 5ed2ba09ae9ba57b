// Pack and Unpack of 64,000-byte texts (goal: Pack within 20 ms even on the inputs that make
// the match search walk long chains: runs of 255 "a" and a "b", random two-letter text, one
// letter throughout).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "packer.h"

namespace {

using velkaro::Packer;
using Bytes = std::vector<uint8_t>;

constexpr size_t kTextSize = 64000;

Bytes RunsOf255() {
    Bytes b(kTextSize);
    for (size_t i = 0; i < b.size(); ++i) b[i] = (i % 256 == 255) ? 'b' : 'a';
    return b;
}

Bytes TwoLetters() {
    std::mt19937 rng(1);
    Bytes b(kTextSize);
    for (uint8_t& x : b) x = (rng() & 1) ? 'a' : 'b';
    return b;
}

Bytes OneLetter() { return Bytes(kTextSize, 'a'); }

// The slowest inputs found for the prefix chains: matches of 3 to 7 bytes with many
// candidates (four letters), and long chains of "a" broken by a "b" now and then.
Bytes FourLetters() {
    std::mt19937 rng(4);
    Bytes b(kTextSize);
    for (uint8_t& x : b) x = uint8_t('a' + rng() % 4);
    return b;
}

Bytes MostlyA() {
    std::mt19937 rng(5);
    Bytes b(kTextSize);
    for (uint8_t& x : b) x = rng() % 8 == 0 ? 'b' : 'a';
    return b;
}

Bytes Letter() {
    const std::string words =
        "\xC7\xE4\xF0\xE0\xE2\xF1\xF2\xE2\xF3\xE9\xF2\xE5! Sending the quarterly report, sales "
        "figures "
        "and next month's plan. \xCF\xEB\xE0\xED \xED\xE0 \xEC\xE5\xF1\xFF\xF6.\r\n";
    Bytes b;
    std::mt19937 rng(2);
    while (b.size() < kTextSize) {
        b.insert(b.end(), words.begin(), words.end());
        b.push_back(uint8_t('0' + rng() % 10));  // a figure that changes from line to line
    }
    b.resize(kTextSize);
    return b;
}

Bytes Noise() {
    std::mt19937 rng(3);
    Bytes b(kTextSize);
    for (uint8_t& x : b) x = uint8_t(rng());
    return b;
}

void BM_Pack(benchmark::State& state, Bytes (*make)()) {
    const Bytes text = make();
    Bytes out(text.size() + Packer::kPackSlack);
    auto packer = std::make_unique<Packer>();
    uint16_t n = 0;
    for (auto _ : state) {
        n = packer->Pack(text.data(), out.data(), uint16_t(text.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["packed"] = n;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_Unpack(benchmark::State& state, Bytes (*make)()) {
    const Bytes text = make();
    Bytes packed(text.size() + Packer::kPackSlack);
    auto packer = std::make_unique<Packer>();
    const uint16_t n = packer->Pack(text.data(), packed.data(), uint16_t(text.size()));
    if (n >= text.size()) {
        state.SkipWithError("text does not pack");
        return;
    }
    Bytes out(text.size());
    uint16_t produced = 0;
    if (!packer->Unpack(packed.data(), out.data(), n, uint16_t(out.size()), &produced) ||
        out != text) {
        state.SkipWithError("round trip failed");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            packer->Unpack(packed.data(), out.data(), n, uint16_t(out.size()), &produced));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

BENCHMARK_CAPTURE(BM_Pack, RunsOf255, RunsOf255)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, TwoLetters, TwoLetters)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, OneLetter, OneLetter)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, FourLetters, FourLetters)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, MostlyA, MostlyA)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, Letter, Letter)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pack, Noise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, RunsOf255, RunsOf255)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, TwoLetters, TwoLetters)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Unpack, Letter, Letter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
