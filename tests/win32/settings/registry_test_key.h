#pragma once
// RegistryTestKey: a key of this test process, HKEY_CURRENT_USER\Software\Velkaro test NAME PID,
// deleted with everything below it when the object goes. No two keys share a parent of their
// own, so that no key's kind depends on another's. A volatile key refuses the creation
// of the lasting (non-volatile) keys below it: that is how a test gets a root under which the
// Run key can neither be opened nor created, with the registry's own refusal.

#include <windows.h>

#include <optional>
#include <string>

namespace velkaro {

class RegistryTestKey {
public:
    enum Kind { kWritable, kVolatile };

    RegistryTestKey(const std::string& name, Kind kind)
        : path_("Software\\Velkaro test " + name + " " + std::to_string(GetCurrentProcessId())) {
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());  // a leftover of a crashed run
        const DWORD options = kind == kVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, options, KEY_ALL_ACCESS,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryTestKey() {
        if (key_) RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }
    RegistryTestKey(const RegistryTestKey&) = delete;
    RegistryTestKey& operator=(const RegistryTestKey&) = delete;

    HKEY get() const { return key_; }

private:
    std::string path_;
    HKEY key_ = nullptr;
};

// A value as the registry holds it: its type and its bytes.
struct RegistryValue {
    DWORD type = 0;
    std::string bytes;
};

// The value `name` of root\subkey, or nothing when the key or the value is missing.
inline std::optional<RegistryValue> ReadRegistryValue(HKEY root, const char* subkey,
                                                      const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    RegistryValue value;
    char data[1024] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                         reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return {};
    value.bytes.assign(data, size);
    return value;
}

// Writes a REG_SZ value (with its terminating zero) under root\subkey, creating the key.
inline bool WriteRegistryString(HKEY root, const char* subkey, const std::string& name,
                                const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       DWORD(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace velkaro
