// The plain-text transform's whole road over an edit control holding a 64,000-character
// letter: Probe + Encrypt (read, seal, closing marker, note, write back) and Probe + Decrypt.
// What the transform adds to the engine's Seal and Open (message_bench) is reading the text,
// composing and writing it: it should stay a small part of the total.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "edit_transform_fixture.h"
#include "fake_text_target.h"

namespace {

using namespace velkaro;

// The program's objects with a key and the note switched on.
class Rig : public EditTransformFixture {
public:
    Rig() {
        UsePassword("benchmark password");
        app_->config.addInfoNote = 1;
        app_->LoadInfoNote();
    }
    ProbeResult Run(FakeTextTarget& window, TransformMode mode) {
        return transform_.TransformEditText(&window, mode);
    }
};

void EncryptRoad(benchmark::State& state) {
    Rig rig;
    const std::string letter = Letter(64000);
    FakeTextTarget window;
    for (auto _ : state) {
        window.SetUserText(letter);
        rig.Run(window, TransformMode::Probe);
        rig.Run(window, TransformMode::Encrypt);
        benchmark::DoNotOptimize(window.Text().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(letter.size()));
}

void DecryptRoad(benchmark::State& state) {
    Rig rig;
    const std::string letter = Letter(64000);
    FakeTextTarget window(letter);
    rig.Run(window, TransformMode::Probe);
    rig.Run(window, TransformMode::Encrypt);
    const std::string sealed = window.Text();
    for (auto _ : state) {
        window.SetUserText(sealed);
        if (rig.Run(window, TransformMode::Probe) != ProbeResult::BlockFound) {
            state.SkipWithError("no block found");
            break;
        }
        rig.Run(window, TransformMode::Decrypt);
        benchmark::DoNotOptimize(window.Text().data());
    }
    if (window.Text() != letter) state.SkipWithError("the letter did not come back");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(letter.size()));
}

}  // namespace

BENCHMARK(EncryptRoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecryptRoad)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
