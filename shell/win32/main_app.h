#pragma once
// CMainApp: the life of the tray program. It takes the program's directory from the command
// line when it is made, and Run creates the process-wide objects, makes sure only one
// instance runs on the desktop, binds the accessibility library, runs the main window until
// the user quits, and releases everything in a fixed order.

#include <windows.h>

#include "path_routines.h"

namespace velkaro {

class CMainApp {
public:
    explicit CMainApp(HINSTANCE instance);

    // Start-up, the main window's modal run and shutdown. Returns the process's exit code.
    int Run();

    const char* launchDirectory() const { return launchDirectory_; }

private:
    HINSTANCE instance_;
    char launchDirectory_[kPathCapacity] = {};
};

}  // namespace velkaro
