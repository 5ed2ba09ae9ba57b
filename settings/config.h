#pragma once
// CConfig: the persistent settings record and its file, velkaro.ini beside the program.
//
// File layout (no header, no version, little-endian):
//   0 autoStart (4)   4 eraseKeysWhenIdle (4)   8 desktopLink (4)   12 keepPassword (4)
//   16 unloadWhenIdle (4)   20 idleMinutes (2)   22 addInfoNote (4)   26 colourBackground (4)
//   30 offerTemplateList (4)   34 stegoModifierKey (2)
//   36 ownTemplate's characters, LF      then templateCount (1 byte)
//   then templateCount lines, each the template's characters and LF.
// The defaults give a file of 246 bytes.

#include <cstdint>
#include <list>
#include <string>

#include "app_platform.h"

namespace velkaro {

class SettingsArchive;

class CConfig {
public:
    // The longest template and own template kept (each passes through an 80-byte buffer).
    static constexpr size_t kMaxTemplateLength = 78;
    // Stored counts above this are not read at all.
    static constexpr unsigned kMaxStoredTemplateCount = 64;
    // LoadStringA buffers: the missing-file text goes through 80 bytes, each default
    // template through 60.
    static constexpr size_t kMissingFileTextCapacity = 80;
    static constexpr size_t kTemplateTextCapacity = 60;
    // The load error's box: MB_ICONEXCLAMATION | MB_SETFOREGROUND, as the framework shows it.
    static constexpr uint32_t kLoadErrorStyle = 0x00000030u | 0x00010000u;

    // Builds the settings-file path (the module path with the extension "ini") and loads it
    // with OpenSettingsFile: the record then holds the file's values or the defaults.
    explicit CConfig(AppPlatform& platform);
    // Empties the template list and the own template; saves nothing.
    ~CConfig();

    CConfig(const CConfig&) = delete;
    CConfig& operator=(const CConfig&) = delete;

    // 1: the file was read. 0: it was missing (message 32819) or unreadable (the load's own
    // message), and the defaults were set and saved instead.
    int OpenSettingsFile(const std::string& path);
    // Every field to its default, then SaveSettingsFile(PathName()).
    void SetDefaults();
    // Writes a complete new file through SerializeSettings. The old file is replaced only
    // once the new one is complete: a failed save (with its message) leaves it as it was.
    bool SaveSettingsFile(const std::string& path);
    // Reads or writes every stored field in file order, by the archive's direction. Reading
    // answers false when the data ends inside the numeric fields or before the count byte.
    bool SerializeSettings(SettingsArchive& archive);

    const std::string& PathName() const { return pathName_; }

    // Fields in declaration order. Strings are ANSI (CP1251) text.
    int32_t offerTemplateList = 0;
    uint16_t stegoModifierKey = 0;
    uint8_t templateCount = 0;
    std::string ownTemplate;
    std::list<std::string> templateList;
    int32_t colourBackground = 0;
    int32_t addInfoNote = 0;
    int32_t autoStart = 0;
    int32_t eraseKeysWhenIdle = 0;
    int32_t desktopLink = 0;
    int32_t keepPassword = 0;
    int32_t unloadWhenIdle = 0;
    uint16_t idleMinutes = 0;

private:
    // Reads the file's bytes into the record; false when the load fails.
    bool LoadSettingsBytes(const std::string& bytes);
    // "Velkaro Stego" + " Версия 3.1": the record is loaded before AppState builds its caption.
    std::string MessageCaption();
    // Shows string `id` (loaded through `capacity` bytes) in a box without owner window.
    void ShowFileMessage(uint32_t id, size_t capacity, uint32_t style);

    AppPlatform& platform_;
    std::string pathName_;
};

}  // namespace velkaro
