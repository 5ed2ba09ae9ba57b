// velhook.dll: the system-wide mouse and keyboard hooks of the tray program. The system runs the
// two procedures in every process that gets input while the hooks are installed; they read the
// shared section, let the gesture rules decide (hook_rules.h), post WM_SHELL_REQUEST to the tray
// program's window and return at once. Nothing is ever sent, so a hook never waits for the tray
// program.

#include <windows.h>

#include <cstdint>

#include "hook_rules.h"
#include "installed_hook_win32.h"
#include "resource_ids.h"
#include "right_release_tracker.h"
#include "shared_hook_state.h"
#include "velhook_api.h"

namespace {

using velkaro::HookVerdict;

// One copy for every process that maps the library; all zero when the library is first mapped.
// The section holds these 12 bytes and nothing else (checked on the built DLL). The explicit
// alignment keeps it at 12: x86_64 GCC would align the aggregate to 8 and pad the section to 16.
alignas(4) velkaro::SharedHookState sharedState
    __attribute__((section(".sdata"), shared)) = {{0u}, {0}, {0}};

// Private to each process.
HINSTANCE libraryModule = nullptr;
// Held only in the process that installed the hooks; null everywhere else, where CallNextHookEx
// gets null (the system ignores the handle there).
velkaro::InstalledHook mouseHook;
velkaro::InstalledHook keyboardHook;
velkaro::RightReleaseTracker rightRelease;

HWND NotifyWindow() {
    return reinterpret_cast<HWND>(
        velkaro::HandleFromSharedWord(sharedState.notifyWindow.load(std::memory_order_relaxed)));
}

int32_t Permission() { return sharedState.permission.load(std::memory_order_relaxed); }

// The library's own export of that name as a hook procedure.
HOOKPROC ExportedProcedure(const char* name) {
    // Through void (*)(): the one function type GCC lets every other function type convert to.
    return reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(libraryModule, name)));
}

// The class name of window lower-cased into buffer; empty when it cannot be read (no window, or
// the window is gone), which no rule takes for a target.
void ReadLowerClassName(HWND window, char (&buffer)[velkaro::kClassNameBufferSize]) {
    if (window == nullptr || GetClassNameA(window, buffer, sizeof buffer) <= 0) buffer[0] = '\0';
    velkaro::LowerClassName(buffer, buffer);
}

// 0 x 0 when the rectangle cannot be read, which no size rule accepts.
velkaro::ClientSize ReadClientSize(HWND window) {
    RECT client = {};
    if (window == nullptr || !GetClientRect(window, &client)) return {0, 0};
    return {client.right - client.left, client.bottom - client.top};
}

void PostRequest(HookVerdict verdict, HWND window) {
    const HWND notify = NotifyWindow();
    WPARAM target = 0;
    if (velkaro::RequestNamesWindow(verdict)) {
        target = reinterpret_cast<WPARAM>(window);
        // The tray program answers a target with its password window, but a background process
        // may not take the foreground. This hook runs in the process that has it, so it hands
        // that right on; otherwise the password would be typed into the target.
        DWORD trayProcess = 0;
        if (GetWindowThreadProcessId(notify, &trayProcess) != 0) {
            AllowSetForegroundWindow(trayProcess);
        }
    }
    PostMessageA(notify, WM_SHELL_REQUEST, target,
                 static_cast<LPARAM>(velkaro::RequestOf(verdict)));
}

// Posts what the verdict asks for; true when the event is to be swallowed.
bool Carry(HookVerdict verdict, HWND window) {
    if (velkaro::PostsRequest(verdict)) PostRequest(verdict, window);
    return velkaro::SwallowsEvent(verdict);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) libraryModule = module;
    return TRUE;
}

extern "C" {

int WINAPI SetPermission(int permission) {
    sharedState.permission.store(permission, std::memory_order_relaxed);
    if (sharedState.hooksInstalled.load(std::memory_order_relaxed) == 0) return 0;
    // A process that ended without RemoveHook leaves the flag set, and its hooks are gone with
    // it; its window is gone too. Such a flag must not make a new instance believe the program
    // is still running.
    return IsWindow(NotifyWindow()) ? 1 : 0;
}

int WINAPI SetHook(HWND window) {
    sharedState.notifyWindow.store(velkaro::HandleToSharedWord(reinterpret_cast<uintptr_t>(window)),
                                   std::memory_order_relaxed);
    if (!mouseHook.Install(WH_MOUSE, ExportedProcedure("MouseHook"), libraryModule)) return 0;
    if (!keyboardHook.Install(WH_KEYBOARD, ExportedProcedure("KbdHook"), libraryModule)) {
        RemoveHook();
        return 0;
    }
    sharedState.hooksInstalled.store(1, std::memory_order_relaxed);
    return 1;
}

int WINAPI RemoveHook(void) {
    const bool mouseGone = mouseHook.Remove();
    const bool keyboardGone = keyboardHook.Remove();
    if (!mouseGone || !keyboardGone) return 0;
    sharedState.hooksInstalled.store(0, std::memory_order_relaxed);
    return 1;
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM mouseInfo) {
    if (rightRelease.SwallowsEvent(code, message)) return 1;
    const bool gesture = velkaro::IsMouseGesture(
        code, message, Permission(), [] { return (GetAsyncKeyState(VK_MENU) & 0x8000) != 0; });
    if (gesture) {
        const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(mouseInfo);
        const HWND window = info != nullptr ? info->hwnd : nullptr;
        char className[velkaro::kClassNameBufferSize];
        ReadLowerClassName(window, className);
        if (Carry(velkaro::DecideMouseTarget(className, ReadClientSize(window)), window)) {
            rightRelease.EventSwallowed(message);
            return 1;
        }
    }
    return CallNextHookEx(mouseHook.get(), code, message, mouseInfo);
}

LRESULT CALLBACK KbdHook(int code, WPARAM key, LPARAM keyData) {
    if (velkaro::IsKeyboardGesture(code, key, static_cast<uintptr_t>(keyData), Permission())) {
        const HWND window = GetFocus();
        char className[velkaro::kClassNameBufferSize];
        ReadLowerClassName(window, className);
        if (Carry(velkaro::DecideKeyboardTarget(className, ReadClientSize(window)), window)) {
            return 1;
        }
    }
    return CallNextHookEx(keyboardHook.get(), code, key, keyData);
}

}  // extern "C"
