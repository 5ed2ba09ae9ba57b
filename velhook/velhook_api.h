#pragma once
// The exports of velhook.dll, the system-wide input hook library. The tray program links the
// library by import and calls SetPermission, SetHook and RemoveHook; the system calls MouseHook
// and KbdHook in every process that gets input while the hooks are installed. The hooks reach the
// tray program only by posting WM_SHELL_REQUEST (wParam a window or 0, lParam a RequestKind) to
// the window given to SetHook.

#include <windows.h>

extern "C" {

// Stores the permission that every hook procedure reads (0: every event passes untouched) and
// returns whether some process has the hooks installed (1) or not (0). The tray program uses it as
// its single-instance probe. A flag left by an installing process whose notify window no longer
// exists (it ended without RemoveHook) reads as 0.
int WINAPI SetPermission(int permission);

// Installs the mouse and keyboard hooks for all threads of the desktop, with window as the
// receiver of the requests. 1 when both are installed; 0 when either failed, and then neither is
// left installed by this call. A hook this process already holds is kept, not installed twice.
int WINAPI SetHook(HWND window);

// Removes the hooks this process installed. 1 when none is left installed; 0 when an unhook
// failed (that hook stays held, so a later call can try again).
int WINAPI RemoveHook(void);

// The WH_MOUSE procedure: acts on a left double click, or a right button press with ALT held.
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM mouseInfo);

// The WH_KEYBOARD procedure: acts on the release of F10 while ALT is held.
LRESULT CALLBACK KbdHook(int code, WPARAM key, LPARAM keyData);

}  // extern "C"
