#pragma once
// Start with Windows: a value of the shell's Run key that names the program.

#include <windows.h>

#include <string>

#include "app_state.h"
#include "message_sink.h"

namespace velkaro {

// The Run key, under HKEY_LOCAL_MACHINE (every user) or HKEY_CURRENT_USER (this user).
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The two registry roots SetAutoStart works under: normally HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER; tests pass keys of their own.
struct AutoStartRoots {
    HKEY machine = HKEY_LOCAL_MACHINE;
    HKEY user = HKEY_CURRENT_USER;
};

// Registers (on) or removes (off) the start with Windows: a REG_SZ value named app.programCaption
// holding app.programPath under Software\Microsoft\Windows\CurrentVersion\Run. On: under
// HKEY_LOCAL_MACHINE when it can be written, else under HKEY_CURRENT_USER; when neither can be
// written, shows message 13 (IDS_REGISTRY_ERROR, kStyleStop) through `messages` and returns false.
// Off: removes the value from both roots (failures ignored) and returns true.
bool SetAutoStart(const AppState& app, MessageSink& messages, bool on);

// The same under the Run keys of `roots`.
bool SetAutoStart(const AppState& app, MessageSink& messages, bool on, const AutoStartRoots& roots);

// The data of the Run value for a program path: the path itself, in double quotes when it
// holds a space (the shell would otherwise try the shorter paths up to each space first).
std::string AutoStartCommand(const char* programPath);

}  // namespace velkaro
