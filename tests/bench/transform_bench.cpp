// The plain-text transform's whole road over an edit control holding a 64,000-character
// letter: Probe + Encrypt (read, seal, closing marker, note, write back) and Probe + Decrypt.
// What the transform adds to the engine's Seal and Open (message_bench) is reading the text,
// composing and writing it: it should stay a small part of the total.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "app_state.h"
#include "edit_text_transform.h"
#include "fake_app_platform.h"
#include "fake_text_target.h"
#include "message_cipher.h"
#include "password_key.h"
#include "request_context.h"
#include "temp_dir.h"

namespace {

using namespace velkaro;

class NullSink : public MessageSink {
public:
    int ShowMessage(uint32_t, uint32_t) override { return 1; }
};

std::string Letter(size_t n) {
    const std::string words =
        "Здравствуйте! Высылаю отчёт за квартал, цифры по продажам и план на следующий месяц. ";
    std::string s;
    while (s.size() < n) s += words;
    s.resize(n);
    return s;
}

// The program's objects as the main window wires them, with the note switched on.
struct Rig {
    Rig() {
        char password[32] = "benchmark password";
        DeriveKey(password, app->currentKey, app->keyPresent, sink);
        app->config.addInfoNote = 1;
        app->LoadInfoNote();
    }
    TempDir dir;
    FakeAppPlatform platform{dir.File("velkaro.exe")};
    std::unique_ptr<AppState> app = std::make_unique<AppState>(platform);
    RequestContext request;
    NullSink sink;
    MessageCipher cipher{sink, app->currentKey, app->senderTag,
                         reinterpret_cast<uint8_t*>(app->scratchBuffer)};
    EditTextTransform transform{*app, request, cipher, sink};
};

void EncryptRoad(benchmark::State& state) {
    Rig rig;
    const std::string letter = Letter(64000);
    FakeTextTarget window;
    for (auto _ : state) {
        window.SetUserText(letter);
        rig.transform.TransformEditText(&window, TransformMode::Probe);
        rig.transform.TransformEditText(&window, TransformMode::Encrypt);
        benchmark::DoNotOptimize(window.Text().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(letter.size()));
}

void DecryptRoad(benchmark::State& state) {
    Rig rig;
    const std::string letter = Letter(64000);
    FakeTextTarget window(letter);
    rig.transform.TransformEditText(&window, TransformMode::Probe);
    rig.transform.TransformEditText(&window, TransformMode::Encrypt);
    const std::string sealed = window.Text();
    for (auto _ : state) {
        window.SetUserText(sealed);
        if (rig.transform.TransformEditText(&window, TransformMode::Probe) != ProbeResult::BlockFound) {
            state.SkipWithError("no block found");
            break;
        }
        rig.transform.TransformEditText(&window, TransformMode::Decrypt);
        benchmark::DoNotOptimize(window.Text().data());
    }
    if (window.Text() != letter) state.SkipWithError("the letter did not come back");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(letter.size()));
}

}  // namespace

BENCHMARK(EncryptRoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecryptRoad)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
