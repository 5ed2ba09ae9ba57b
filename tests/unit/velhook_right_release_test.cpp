// The release of a swallowed right button press is swallowed too, and nothing else is: sequences
// of mouse events as one process's mouse procedure sees them.

#include "right_release_tracker.h"

#include <gtest/gtest.h>

#include <vector>

#include "hook_rules.h"

namespace velkaro {
namespace {

constexpr uintptr_t kLeftButtonUp = 0x0202;
constexpr uintptr_t kMouseMove = 0x0200;

struct Event {
    int code;
    uintptr_t message;
    bool swallowedAsGesture;  // the procedure's decision swallowed it (only checked events)
    bool releaseSwallowed;    // what SwallowsEvent must answer
};

constexpr Event Press(bool gesture) { return {0, kMessageRightButtonDown, gesture, false}; }
constexpr Event Release(bool swallowed, int code = 0) {
    return {code, kMessageRightButtonUp, false, swallowed};
}

struct Sequence {
    const char* what;
    std::vector<Event> events;
};

const Sequence kSequences[] = {
    {"the release of a swallowed press, once", {Press(true), Release(true), Release(false)}},
    {"the release of a press passed on", {Press(false), Release(false)}},
    {"a release without a press", {Release(false)}},
    {"moves between press and release",
     {Press(true), {0, kMouseMove, false, false}, Release(true)}},
    {"a peek of the release is not taken, its removal is",
     {Press(true), Release(false, kHookCodeNoRemove), Release(true)}},
    {"a negative code always passes", {Press(true), Release(false, -1), Release(true)}},
    {"a new press passed on owns the next release", {Press(true), Press(false), Release(false)}},
    {"a new press swallowed owns it too",
     {Press(true), Press(true), Release(true), Release(false)}},
    {"a swallowed left double click leaves the releases alone",
     {{0, kMessageLeftDoubleClick, true, false}, {0, kLeftButtonUp, false, false}, Release(false)}},
};

TEST(VelhookRightRelease, OnlyTheReleaseOfASwallowedPressIsSwallowed) {
    for (const Sequence& sequence : kSequences) {
        SCOPED_TRACE(sequence.what);
        RightReleaseTracker tracker;
        int index = 0;
        for (const Event& event : sequence.events) {
            SCOPED_TRACE(index++);
            EXPECT_EQ(tracker.SwallowsEvent(event.code, event.message), event.releaseSwallowed);
            if (event.swallowedAsGesture) tracker.EventSwallowed(event.message);
        }
    }
}

}  // namespace
}  // namespace velkaro
