#pragma once
// The state that velhook.dll shares between every process mapping it: one 12-byte section,
// three aligned 32-bit words in a fixed order. The tray program's thread writes them; the hook
// procedures in other processes read them without locks, so each is an atomic word (one plain
// load or store) and a reader sees either the old or the new value.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace velkaro {

struct SharedHookState {
    std::atomic<uint32_t> notifyWindow;   // the window that receives WM_SHELL_REQUEST, in 32 bits
    std::atomic<int32_t> hooksInstalled;  // 1 from a successful SetHook until RemoveHook
    std::atomic<int32_t> permission;      // the hook procedures act only while it is non-zero
};

static_assert(std::atomic<uint32_t>::is_always_lock_free &&
                  std::atomic<int32_t>::is_always_lock_free,
              "the shared words are read by other processes: they must be plain machine words");
static_assert(sizeof(SharedHookState) == 12, "the shared section holds exactly three 32-bit words");
static_assert(offsetof(SharedHookState, notifyWindow) == 0 &&
                  offsetof(SharedHookState, hooksInstalled) == 4 &&
                  offsetof(SharedHookState, permission) == 8,
              "the order of the shared words is fixed");

// Window handles carry 32 significant bits on every Windows (also on x86_64), so the shared word
// holds the low half; coming back, the system's rule for handles applies: sign extension.
constexpr uint32_t HandleToSharedWord(uintptr_t handle) { return static_cast<uint32_t>(handle); }
constexpr uintptr_t HandleFromSharedWord(uint32_t word) {
    return static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(word)));
}

}  // namespace velkaro
