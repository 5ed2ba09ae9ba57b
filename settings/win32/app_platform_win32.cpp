#include "app_platform_win32.h"

#include <vector>

#include "resource_strings.h"

namespace velkaro {
namespace {

// The longest path the system knows (with the "\\?\" prefix), in characters.
constexpr DWORD kLongestPath = 32768;

// WideCharToMultiByte into the ANSI code page; empty when it fails. Code pages such as
// UTF-8 refuse WC_NO_BEST_FIT_CHARS (they need no best fit).
std::string ToAnsi(const std::wstring& text) {
    for (DWORD flags : {DWORD(WC_NO_BEST_FIT_CHARS), DWORD(0)}) {
        const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), nullptr,
                                          0, nullptr, nullptr);
        if (n <= 0) continue;
        std::string out(size_t(n), '\0');
        WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), &out[0], n, nullptr,
                            nullptr);
        return out;
    }
    return std::string();
}

// The ANSI form of `path`; `exact` false unless it converts back to `path` (a character
// without an ANSI byte became "?" or a look-alike, which names another file).
std::string AnsiOf(const std::wstring& path, bool* exact) {
    std::string ansi = ToAnsi(path);
    std::wstring back(ansi.size(), L'\0');
    const int n = ansi.empty() ? 0
                               : MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()),
                                                     &back[0], int(back.size()));
    back.resize(n > 0 ? size_t(n) : 0);
    *exact = back == path;
    return ansi;
}

// The short form of `path`; empty when the system gives none.
std::wstring ShortPathOf(const std::wstring& path) {
    // A path beyond MAX_PATH reaches the file only with the "\\?\" prefix, which the short
    // form then carries as well.
    const bool prefixed = path.size() >= MAX_PATH && path.compare(0, 4, L"\\\\?\\") != 0;
    const std::wstring query = prefixed ? L"\\\\?\\" + path : path;
    std::vector<wchar_t> buffer(kLongestPath + 1, L'\0');
    const DWORD n = GetShortPathNameW(query.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n == 0 || n >= buffer.size()) return std::wstring();
    std::wstring shortPath(buffer.data(), n);
    if (shortPath.compare(0, 4, L"\\\\?\\") == 0) shortPath.erase(0, 4);
    return shortPath;
}

}  // namespace

AppPlatformWin32::AppPlatformWin32(HINSTANCE resourceModule) : resourceModule_(resourceModule) {}

AppPlatformWin32::AnsiPath AppPlatformWin32::FittingAnsiPath(const std::wstring& fullPath) {
    AnsiPath result;
    bool exact = false;
    result.path = AnsiOf(fullPath, &exact);
    if (exact && result.path.size() < MAX_PATH) {
        result.fits = true;
        return result;
    }
    const std::wstring shortPath = ShortPathOf(fullPath);
    if (!shortPath.empty()) {
        bool shortExact = false;
        std::string shortAnsi = AnsiOf(shortPath, &shortExact);
        if (shortExact && shortAnsi.size() < MAX_PATH) {
            result.path = std::move(shortAnsi);
            result.fits = true;
        }
    }
    return result;
}

void AppPlatformWin32::FindModulePath() {
    if (found_) return;
    // GetModuleFileNameW cuts a path that does not fit (without a terminator on XP), so the
    // buffer grows until the whole path and its terminator are in it.
    std::wstring path;
    for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) break;
        if (n < size) {  // n == size: cut
            path.assign(buffer.data(), n);
            break;
        }
    }
    modulePath_ = FittingAnsiPath(path);
    if (path.empty()) modulePath_.fits = false;
    found_ = true;
}

std::string AppPlatformWin32::ModulePath() {
    FindModulePath();
    return modulePath_.path;
}

bool AppPlatformWin32::ModulePathFits() {
    FindModulePath();
    return modulePath_.fits;
}

WindowsVersionInfo AppPlatformWin32::WindowsVersion() {
    OSVERSIONINFOA info = {};
    static_assert(sizeof info == 148, "the structure GetVersionExA knows since Windows 95");
    info.dwOSVersionInfoSize = sizeof info;
    WindowsVersionInfo version;
    if (!GetVersionExA(&info)) return version;
    version.ok = true;
    version.platformId = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    return version;
}

std::string AppPlatformWin32::LoadAnsiString(uint32_t id, size_t capacity) {
    return ui::LoadAnsiString(resourceModule_, UINT(id), capacity);
}

int AppPlatformWin32::ShowOwnerlessMessage(const std::string& text, const std::string& caption,
                                           uint32_t style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), UINT(style));
}

}  // namespace velkaro
