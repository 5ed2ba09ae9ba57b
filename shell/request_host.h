#pragma once
// RequestHost: what the roads of a request need of the main window. The Win32 main window
// implements it over its own window, the password dialog and the transforms; tests fake it.

#include <cstddef>

#include "transform_types.h"

namespace velkaro {

class RequestHost {
public:
    virtual ~RequestHost() = default;

    // Shows the hidden main window as the password window where the dispatch placed it, with
    // the caret in the password field. False when the window could not take the keyboard
    // focus: it is then hidden again, so that nothing typed can reach the target instead.
    virtual bool ShowPasswordWindow() = 0;
    virtual void HidePasswordWindow() = 0;
    // Writes the fields (password, keep box) into the password window's controls.
    virtual void RefreshPasswordWindow() = 0;

    // The clipboard viewer is open: the request's text comes from it, passwords are asked
    // by a modal dialog.
    virtual bool ClipboardViewerOpen() = 0;
    // Runs the modal password dialog. OK: true, the password in `password` (zero-terminated,
    // `capacity` bytes). Cancel: false, and the viewer is told its question was cancelled.
    virtual bool AskPasswordModal(char* password, size_t capacity) = 0;

    // Runs the transform of the request's target (edit control, browser control or the
    // clipboard viewer's text) in `mode`.
    virtual void RunTransform(TransformMode mode) = 0;
    // A request started from the tray icon: hides the window, then finds and probes the
    // target under the cursor. True when a target was found and its probe gave BlockFound or
    // PlainText (the probe has then set the request's probe result).
    virtual bool FindTargetUnderCursor() = 0;
};

}  // namespace velkaro
