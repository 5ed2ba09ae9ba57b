#pragma once
// The release of a right button press that the mouse procedure swallowed. Windows open their
// context menu on the release (WM_CONTEXTMENU follows WM_RBUTTONUP), so a window that got the
// release of the ALT + right button gesture would still show its menu over the password window;
// that release is swallowed as well. A window then sees neither half of the click.
//
// One tracker per process. A press and its release go to the same window as a rule; a release
// that goes elsewhere leaves the mark until the next right press in this process clears it, so
// only a release without a press of its own is ever taken.

#include <atomic>
#include <cstdint>

namespace velkaro {

class RightReleaseTracker {
public:
    constexpr RightReleaseTracker() = default;
    RightReleaseTracker(const RightReleaseTracker&) = delete;
    RightReleaseTracker& operator=(const RightReleaseTracker&) = delete;

    // Asked first for every event of the mouse procedure: true when it is the release of a
    // swallowed press, to be swallowed too. Peeks (HC_NOREMOVE) and negative codes are never taken.
    bool SwallowsEvent(int code, uintptr_t message);

    // The mouse procedure swallowed this event (message: its mouse message).
    void EventSwallowed(uintptr_t message);

private:
    std::atomic<bool> releasePending_{false};
};

}  // namespace velkaro
