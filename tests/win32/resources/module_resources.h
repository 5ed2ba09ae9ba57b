#pragma once
// What the resource tests share: the test program's own module (which links the resources of
// velkaro.rc), the raw bytes of one of its resources, and UTF-8 to UTF-16 for comparisons with
// the texts as the resources store them.

#include <windows.h>

#include <cstddef>
#include <string>

namespace velkaro {

inline HMODULE TestModule() { return GetModuleHandleA(nullptr); }

struct ResourceBytes {
    const void* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The resource `name` of `type` in the test module; empty when there is none. Resources stay
// mapped while the module is loaded, so the bytes need no release.
inline ResourceBytes FindResourceBytes(LPCSTR name, LPCSTR type) {
    ResourceBytes bytes;
    HRSRC found = FindResourceA(TestModule(), name, type);
    if (!found) return bytes;
    HGLOBAL loaded = LoadResource(TestModule(), found);
    if (!loaded) return bytes;
    bytes.data = LockResource(loaded);
    bytes.size = SizeofResource(TestModule(), found);
    return bytes;
}

inline std::wstring Utf16FromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), &text[0], n);
    return text;
}

}  // namespace velkaro
