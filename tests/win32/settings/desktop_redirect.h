#pragma once
// DesktopRedirect: gives the test a desktop folder of its own for the scope. In a fresh Wine
// prefix the user's Desktop is a link to the real home directory of the machine, where a test
// must never leave a file; so the shell is pointed at a temporary folder the way a user moves
// the desktop on Windows: the "Desktop" entry of the user's shell folders. The entry is put
// back when the scope ends; a copy of it is kept in the registry meanwhile, so that a run
// that dies half-way is mended by the next one. (Wine's shell reads that entry from the
// prefix's own HKEY_CURRENT_USER, not from a key that RegOverridePredefKey puts in its place,
// so the prefix's entry itself is changed.) Tests that use it take the ctest lock "desktop".

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "registry_test_key.h"
#include "temp_dir.h"

namespace velkaro {

class DesktopRedirect {
public:
    DesktopRedirect() {
        PutBackEarlierEntry();
        const std::optional<RegistryValue> entry = ReadRegistryValue(HKEY_CURRENT_USER, kFolders, kName);
        if (!entry || !WriteEntry(kBackup, *entry)) return;
        const std::string path = desktop_.Path();
        redirected_ = WriteEntry(kFolders, {REG_SZ, path + std::string(1, '\0')});
    }
    ~DesktopRedirect() { PutBackEarlierEntry(); }
    DesktopRedirect(const DesktopRedirect&) = delete;
    DesktopRedirect& operator=(const DesktopRedirect&) = delete;

    // The temporary desktop folder.
    const TempDir& folder() const { return desktop_; }

    // True when the shell now reports the temporary folder as the desktop directory: only
    // then may a test create links.
    bool Active() const {
        return redirected_ && lstrcmpiA(ShellDesktop().c_str(), desktop_.Path().c_str()) == 0;
    }

    // The desktop directory as the shell reports it now; empty when it reports none.
    static std::string ShellDesktop() {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &list))) return {};
        char path[MAX_PATH] = {};
        const bool got = SHGetPathFromIDListA(list, path) != FALSE;
        CoTaskMemFree(list);
        return got ? path : "";
    }

private:
    static constexpr const char* kFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const char* kBackup = "Software\\Velkaro test desktop entry";
    static constexpr const char* kName = "Desktop";

    static bool WriteEntry(const char* subkey, const RegistryValue& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG result = RegSetValueExA(key, kName, 0, value.type,
                                           reinterpret_cast<const BYTE*>(value.bytes.data()),
                                           DWORD(value.bytes.size()));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    // The entry as it was before this run (or before a run that did not end), and no copy.
    static void PutBackEarlierEntry() {
        const std::optional<RegistryValue> saved = ReadRegistryValue(HKEY_CURRENT_USER, kBackup, kName);
        if (saved && WriteEntry(kFolders, *saved)) RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
    }

    TempDir desktop_;
    bool redirected_ = false;
};

}  // namespace velkaro
