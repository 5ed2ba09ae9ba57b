#pragma once
// One system hook installed by this process (SetWindowsHookExA / UnhookWindowsHookEx). Unlike a
// plain owning handle, removal reports its result: a hook whose removal failed stays held, so the
// caller can say so and try again later.

#include <windows.h>

namespace velkaro {

class InstalledHook {
public:
    constexpr InstalledHook() = default;
    ~InstalledHook();
    InstalledHook(const InstalledHook&) = delete;
    InstalledHook& operator=(const InstalledHook&) = delete;

    // Installs procedure (of module) as a hook of the given kind for all threads of the desktop.
    // A hook already held is kept, never installed twice (true). False when the system refuses;
    // nothing is held then.
    bool Install(int kind, HOOKPROC procedure, HINSTANCE module);

    // Removes the hook if one is held. True when none is held afterwards.
    bool Remove();

    // The handle to pass to CallNextHookEx; null in every process but the installing one.
    HHOOK get() const { return handle_; }
    bool held() const { return handle_ != nullptr; }

private:
    HHOOK handle_ = nullptr;
};

}  // namespace velkaro
