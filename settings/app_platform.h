#pragma once
// AppPlatform: what the application state needs from the platform it runs on. The Win32
// layer answers from the module, GetVersionExA, LoadStringA and MessageBoxA; tests fake it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

// What GetVersionExA reports (its 148-byte structure): ok is false when the call fails.
struct WindowsVersionInfo {
    bool ok = false;
    uint32_t platformId = 0;  // 2 = VER_PLATFORM_WIN32_NT
    uint32_t major = 0;
    uint32_t minor = 0;
};

class AppPlatform {
public:
    virtual ~AppPlatform() = default;

    // The full path of the program's module, in the ANSI code page.
    virtual std::string ModulePath() = 0;

    virtual WindowsVersionInfo WindowsVersion() = 0;

    // The string `id` of the resource module in the ANSI code page, as LoadStringA delivers
    // it into a buffer of `capacity` bytes: cut to capacity - 1 bytes; empty if there is none.
    virtual std::string LoadAnsiString(uint32_t id, size_t capacity) = 0;

    // A message box without owner window: `text` (ANSI) under `caption` (ANSI) with the
    // MB_* `style`. Returns the box's answer.
    virtual int ShowOwnerlessMessage(const std::string& text, const std::string& caption,
                                     uint32_t style) = 0;
};

}  // namespace velkaro
