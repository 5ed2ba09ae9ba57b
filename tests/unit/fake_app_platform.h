#pragma once
// FakeAppPlatform: the platform as the tests see it. The module path is the test's (put it in
// a TempDir so the settings file lands there), the Windows version is settable, strings come
// from the program's string table in CP1251 cut as LoadStringA cuts them, and every message
// box is recorded and answered with IDOK.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app_platform.h"
#include "cp1251.h"
#include "string_table.h"

namespace velkaro {

class FakeAppPlatform : public AppPlatform {
public:
    struct Message {
        std::string text;     // ANSI (CP1251)
        std::string caption;  // ANSI (CP1251)
        uint32_t style;
    };
    struct StringLoad {
        uint32_t id;
        size_t capacity;
    };

    // The settings file and the note are read and written beside modulePath: give a path in
    // the test's own temporary folder (TempDir::File), never one that resolves elsewhere.
    explicit FakeAppPlatform(std::string modulePath) : modulePath_(std::move(modulePath)) {}

    std::string ModulePath() override { return modulePath_; }
    void SetModulePath(std::string path) { modulePath_ = std::move(path); }

    WindowsVersionInfo WindowsVersion() override { return version_; }
    void SetWindowsVersion(WindowsVersionInfo version) { version_ = version; }

    std::string LoadAnsiString(uint32_t id, size_t capacity) override {
        loads_.push_back({id, capacity});
        std::string text;
        auto replaced = replacements_.find(id);
        if (replaced != replacements_.end()) {
            text = replaced->second;
        } else if (const char* utf8 = LookupString(id)) {
            text = Cp1251::FromUtf8(utf8);
        }
        if (capacity == 0) return std::string();
        if (text.size() > capacity - 1) text.resize(capacity - 1);
        return text;
    }
    // Gives string `id` this ANSI text instead of the table's.
    void ReplaceString(uint32_t id, std::string ansi) { replacements_[id] = std::move(ansi); }

    int ShowOwnerlessMessage(const std::string& text, const std::string& caption,
                             uint32_t style) override {
        messages_.push_back({text, caption, style});
        return 1;  // IDOK
    }

    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<StringLoad>& Loads() const { return loads_; }
    void ClearRecords() {
        messages_.clear();
        loads_.clear();
    }

private:
    std::string modulePath_;
    WindowsVersionInfo version_{true, 2, 5, 1};  // Windows XP
    std::map<uint32_t, std::string> replacements_;
    std::vector<Message> messages_;
    std::vector<StringLoad> loads_;
};

}  // namespace velkaro
