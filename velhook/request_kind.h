#pragma once
// What a WM_SHELL_REQUEST asks of the main window (its lParam). The hooks post the target
// kinds, the tray icon posts TrayMenu and the clipboard viewer posts ViewerClosed.

#include <cstdint>

namespace velkaro {

enum class RequestKind : uint32_t {
    TrayMenu = 1,       // wParam: the main window
    NoTarget = 2,       // wParam: 0; the gesture found no usable window
    BrowserTarget = 3,  // wParam: a window of class "internet explorer_server"
    EditTarget = 4,     // wParam: an edit-class window that is large enough
    ViewerClosed = 7,   // wParam: the main window
};

}  // namespace velkaro
