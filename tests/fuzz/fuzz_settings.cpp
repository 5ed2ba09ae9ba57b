// Fuzzes the reading of the settings file: SerializeSettings over arbitrary bytes. A read that
// succeeds must leave a record the rest of the program can trust (the count matches the list,
// every template and the own template 1..78 characters), and that record written and read
// again must come back the same.
#include <cstdint>
#include <string>
#include <vector>

#include "app_platform.h"
#include "config.h"
#include "settings_archive.h"

namespace {

// A program whose directory does not exist: constructing the record shows two messages
// (nobody sees them) and writes nothing.
class SilentPlatform : public velkaro::AppPlatform {
public:
    std::string ModulePath() override { return "/nonexistent-velkaro-fuzz-dir/velkaro.exe"; }
    velkaro::WindowsVersionInfo WindowsVersion() override { return {}; }
    std::string LoadAnsiString(uint32_t id, size_t) override { return "t" + std::to_string(id); }
    int ShowOwnerlessMessage(const std::string&, const std::string&, uint32_t) override { return 1; }
};

struct Snapshot {
    std::vector<int64_t> numbers;
    std::string ownTemplate;
    std::vector<std::string> templates;
    bool operator==(const Snapshot& o) const {
        return numbers == o.numbers && ownTemplate == o.ownTemplate && templates == o.templates;
    }
};

Snapshot Take(const velkaro::CConfig& c) {
    return {{c.autoStart, c.eraseKeysWhenIdle, c.desktopLink, c.keepPassword, c.unloadWhenIdle,
             c.idleMinutes, c.addInfoNote, c.colourBackground, c.offerTemplateList,
             c.stegoModifierKey, c.templateCount},
            c.ownTemplate,
            {c.templateList.begin(), c.templateList.end()}};
}

bool Storable(const std::string& s) {
    return !s.empty() && s.size() <= velkaro::CConfig::kMaxTemplateLength;
}

void CheckInvariants(const velkaro::CConfig& c) {
    if (c.templateCount != c.templateList.size()) __builtin_trap();
    if (c.templateCount > velkaro::CConfig::kMaxStoredTemplateCount) __builtin_trap();
    if (!Storable(c.ownTemplate)) __builtin_trap();
    for (const std::string& t : c.templateList) {
        if (!Storable(t)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentPlatform platform;
    static velkaro::CConfig config(platform);

    velkaro::SettingsArchive reading = velkaro::SettingsArchive::ForReading(data, size);
    if (!config.SerializeSettings(reading)) return 0;
    CheckInvariants(config);
    Snapshot first = Take(config);

    velkaro::SettingsArchive writing = velkaro::SettingsArchive::ForWriting();
    config.SerializeSettings(writing);
    const std::string& bytes = writing.Bytes();
    velkaro::SettingsArchive again = velkaro::SettingsArchive::ForReading(
        reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!config.SerializeSettings(again)) __builtin_trap();
    if (!(Take(config) == first)) __builtin_trap();
    return 0;
}
