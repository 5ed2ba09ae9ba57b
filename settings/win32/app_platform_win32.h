#pragma once
// AppPlatformWin32: the platform of the application state on Windows: the running program's
// path, GetVersionExA, the string table of the resource module and MessageBoxA.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app_platform.h"

namespace velkaro {

class AppPlatformWin32 : public AppPlatform {
public:
    // `resourceModule` holds the string table.
    explicit AppPlatformWin32(HINSTANCE resourceModule);

    // The path of the running program in the ANSI code page, as the settings layer keeps it
    // in its 260-byte path buffers (the settings file and the note lie beside it):
    //  - the full path when it has at most MAX_PATH - 1 characters and all of them exist in
    //    the ANSI code page;
    //  - else its short (8.3) form when that does, which names the same file;
    //  - else the full path as the ANSI code page renders it, uncut; ModulePathFits() is then
    //    false, and the program must not go on (a cut or converted path names another file).
    std::string ModulePath() override;
    // Whether ModulePath() names the program's file and fits the path buffers.
    bool ModulePathFits();

    // GetVersionExA with the 148-byte OSVERSIONINFOA.
    WindowsVersionInfo WindowsVersion() override;
    // ui::LoadAnsiString: cut to capacity - 1 bytes, empty when there is no such string.
    std::string LoadAnsiString(uint32_t id, size_t capacity) override;
    // MessageBoxA without owner.
    int ShowOwnerlessMessage(const std::string& text, const std::string& caption,
                             uint32_t style) override;

    // The rule of ModulePath() for any file's full path: the ANSI path of at most
    // MAX_PATH - 1 characters that names it (the path itself, else its short form), and
    // whether there is one; without one, the path as the code page renders it.
    struct AnsiPath {
        std::string path;
        bool fits = false;
    };
    static AnsiPath FittingAnsiPath(const std::wstring& fullPath);

private:
    void FindModulePath();

    HINSTANCE resourceModule_;
    bool found_ = false;
    AnsiPath modulePath_;
};

}  // namespace velkaro
