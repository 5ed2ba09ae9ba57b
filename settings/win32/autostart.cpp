#include "autostart.h"

#include "string_ids.h"

namespace velkaro {
namespace {

// An open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* put() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// Writes the value under root\Run, creating the Run key when it is missing. False when the
// key can neither be opened nor created or the value cannot be set.
bool WriteRunValue(HKEY root, const std::string& name, const std::string& command) {
    RegistryKey run;
    if (RegCreateKeyExA(root, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, run.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // The length counts the terminating zero: a REG_SZ stored without it may be read back
    // with whatever follows it in the reader's buffer.
    return RegSetValueExA(run.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          DWORD(command.size() + 1)) == ERROR_SUCCESS;
}

// Removes the value from root\Run; a missing key or value, or a refusal, is ignored.
void DeleteRunValue(HKEY root, const std::string& name) {
    RegistryKey run;
    if (RegOpenKeyExA(root, kRunKeyPath, 0, KEY_SET_VALUE, run.put()) != ERROR_SUCCESS) return;
    RegDeleteValueA(run.get(), name.c_str());
}

}  // namespace

std::string AutoStartCommand(const char* programPath) {
    std::string path = programPath;
    if (path.find(' ') == std::string::npos) return path;
    return "\"" + path + "\"";
}

bool SetAutoStart(const AppState& app, MessageSink& messages, bool on) {
    return SetAutoStart(app, messages, on, AutoStartRoots{});
}

// The Run key is used on every version of Windows: it is what the shell reads at log-on.
// (MSConfig's own list of startup entries under Shared Tools holds the entries the user has
// switched off, so a value put there would never start the program.)
bool SetAutoStart(const AppState& app, MessageSink& messages, bool on,
                  const AutoStartRoots& roots) {
    const std::string& name = app.programCaption;
    if (!on) {
        DeleteRunValue(roots.machine, name);
        DeleteRunValue(roots.user, name);
        return true;
    }
    const std::string command = AutoStartCommand(app.programPath);
    // Every user when the machine's key may be written; a standard user of current Windows
    // may not, and then the program starts for this user alone. The value of the other root
    // is removed, so that the program is registered once, where it was written last.
    if (WriteRunValue(roots.machine, name, command)) {
        DeleteRunValue(roots.user, name);
        return true;
    }
    if (WriteRunValue(roots.user, name, command)) {
        DeleteRunValue(roots.machine, name);
        return true;
    }
    messages.ShowMessage(IDS_REGISTRY_ERROR, kStyleStop);
    return false;
}

}  // namespace velkaro
