#pragma once
// menu_probe.dll reads the items of a popup menu inside the process that shows it. Under Wine a
// menu handle means nothing in another process (GetMenuItemInfo fails there), so the observer
// hooks the menu window's thread (WH_CALLWNDPROC with MenuProbeHook) and sends the window
// kMenuProbeMessage; the hook, running in that thread, writes the items as a JSON array into
// the library's shared section, which the observer reads when the send returns.

#include <windows.h>

namespace velkaro::e2e {

constexpr const wchar_t* kMenuProbeMessage = L"VelkaroE2EMenuProbe";  // RegisterWindowMessage
constexpr WPARAM kMenuProbeMagic = 0x4D454E55;                         // wParam of the probe
constexpr const char* kMenuProbeHookName = "MenuProbeHook";
constexpr const char* kMenuProbeDataName = "MenuProbeSharedData";

// One section shared by every process that maps the library. Only the observer asks, one
// request at a time; `answered` equals `request` once `json` holds that request's answer.
struct MenuProbeData {
    volatile LONG request;
    volatile LONG answered;
    LONG length;     // bytes of json
    char json[60000];
};

using MenuProbeDataFunction = MenuProbeData* (*)();

}  // namespace velkaro::e2e
