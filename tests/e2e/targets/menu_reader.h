#pragma once
// The observer's side of menu_probe.dll (menu_probe.h): the items of another process's popup
// menu, read inside that process.

#include <windows.h>

#include <string>

#include "handles.h"
#include "menu_probe.h"

namespace velkaro::e2e {

class MenuReader {
public:
    // Loads menu_probe.dll from the observer's own folder.
    MenuReader();

    // Why no menu can be read ("" while the library is loaded).
    const std::string& error() const { return error_; }
    // The JSON array of the items `menuWindow` shows, or "" when they could not be read within
    // `timeoutMs` (error() then says why).
    std::string Items(HWND menuWindow, UINT timeoutMs);

private:
    ui::UniqueModule library_;
    HOOKPROC hook_ = nullptr;
    MenuProbeData* data_ = nullptr;
    UINT message_ = 0;
    LONG lastRequest_ = 0;
    std::string error_;
};

}  // namespace velkaro::e2e
