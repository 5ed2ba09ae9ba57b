#include "right_release_tracker.h"

#include "hook_rules.h"

namespace velkaro {

bool RightReleaseTracker::SwallowsEvent(int code, uintptr_t message) {
    if (code < 0 || code == kHookCodeNoRemove) return false;
    if (message == kMessageRightButtonUp) {
        return releasePending_.exchange(false, std::memory_order_relaxed);
    }
    // A new press: a release from now on is its own.
    if (message == kMessageRightButtonDown) releasePending_.store(false, std::memory_order_relaxed);
    return false;
}

void RightReleaseTracker::EventSwallowed(uintptr_t message) {
    if (message == kMessageRightButtonDown) releasePending_.store(true, std::memory_order_relaxed);
}

}  // namespace velkaro
