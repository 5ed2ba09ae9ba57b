// The hook procedures' decision for events that are no gesture: the work the mouse and keyboard
// hooks add to every input event of the desktop before they pass it on (goal: well under a
// microsecond per event). The stand-in of GetAsyncKeyState answers "ALT up".
#include <benchmark/benchmark.h>

#include <cstdint>

#include "hook_rules.h"
#include "right_release_tracker.h"

namespace {

using namespace velkaro;

struct MouseEvent {
    int code;
    uintptr_t message;
};

// What a mouse procedure sees most: moves, presses and releases, peeks, a right press without ALT.
constexpr MouseEvent kMouseEvents[] = {
    {0, 0x0200}, {0, 0x0200}, {kHookCodeNoRemove, 0x0200},  {0, 0x0201},
    {0, 0x0202}, {0, 0x0200}, {0, kMessageRightButtonDown}, {0, kMessageRightButtonUp},
    {0, 0x020A}, {0, 0x00A0},
};
constexpr int kMouseEventCount = sizeof kMouseEvents / sizeof kMouseEvents[0];

void BM_MouseEventNoGesture(benchmark::State& state) {
    RightReleaseTracker tracker;
    int32_t permission = 1;
    int next = 0;
    for (auto _ : state) {
        const MouseEvent& event = kMouseEvents[next];
        next = next + 1 == kMouseEventCount ? 0 : next + 1;
        benchmark::DoNotOptimize(permission);
        bool acts = tracker.SwallowsEvent(event.code, event.message);
        acts = acts || IsMouseGesture(event.code, event.message, permission, [] {
                   bool altDown = false;
                   benchmark::DoNotOptimize(altDown);
                   return altDown;
               });
        benchmark::DoNotOptimize(acts);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MouseEventNoGesture);

struct KeyEvent {
    uintptr_t key;
    uintptr_t data;
};

// Letters pressed and released, F10 pressed, ALT alone.
constexpr KeyEvent kKeyEvents[] = {
    {0x41, 0x001E0001},           {0x41, 0xC01E0001}, {kVirtualKeyF10, 0x00440001},
    {kVirtualKeyF10, 0xC0440001}, {0x12, 0x20380001}, {0x12, 0xC0380001},
};
constexpr int kKeyEventCount = sizeof kKeyEvents / sizeof kKeyEvents[0];

void BM_KeyEventNoGesture(benchmark::State& state) {
    int32_t permission = 1;
    int next = 0;
    for (auto _ : state) {
        const KeyEvent& event = kKeyEvents[next];
        next = next + 1 == kKeyEventCount ? 0 : next + 1;
        benchmark::DoNotOptimize(permission);
        benchmark::DoNotOptimize(IsKeyboardGesture(0, event.key, event.data, permission));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeyEventNoGesture);

}  // namespace

BENCHMARK_MAIN();
