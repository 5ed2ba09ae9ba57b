#pragma once
// WaitUntil: polls a condition while dispatching this thread's messages (windows of the test
// keep answering, posted messages arrive), until it holds or the time is up. For conditions
// that another thread or process brings about; never a fixed sleep.

#include <windows.h>

namespace velkaro {

// Dispatches every message waiting for this thread.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace velkaro
