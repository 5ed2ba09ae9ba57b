#pragma once
// The values the three pages of the settings sheet work on and hand back, and how each page
// takes them from the settings record when it is first shown. The Win32 pages hold these as
// their fields; ApplySettingsSheet copies them into the record after OK. The record itself
// is never written by a page.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "config.h"

namespace velkaro {

// The keys that may start a hidden message, in the order of the Steganography page's radio
// buttons from left to right: CTRL (17), SHIFT (16), INS (45).
constexpr uint16_t kStegoModifierKeys[] = {17, 16, 45};
constexpr size_t kStegoModifierKeyCount = sizeof kStegoModifierKeys / sizeof kStegoModifierKeys[0];

// The position of `key` in kStegoModifierKeys; -1 for any other value (no button is checked).
int StegoModifierKeyIndex(uint16_t key);

// The page "Общие настройки".
struct GeneralPageValues {
    static constexpr int32_t kMaxIdleMinutes = 30;

    int32_t autoStart = 0;
    int32_t eraseKeysWhenIdle = 0;
    int32_t desktopLink = 0;
    int32_t keepPassword = 0;
    int32_t unloadWhenIdle = 0;
    int32_t idleMinutes = 0;  // 0..kMaxIdleMinutes

    // The record's values; an idleMinutes above kMaxIdleMinutes becomes 0, so that the
    // page's range check cannot fail on a value the user never typed.
    static GeneralPageValues FromRecord(const CConfig& record);
    // The idle edit is usable only while one of the two idle options is set.
    bool IdleMinutesEnabled() const { return eraseKeysWhenIdle != 0 || unloadWhenIdle != 0; }
};

// The page "Шифрование текста".
struct TextPageValues {
    int32_t colourBackground = 0;
    int32_t addInfoNote = 0;

    static TextPageValues FromRecord(const CConfig& record);
};

// The page "Стегонаграфия".
struct StegoPageValues {
    // Templates and the own template pass through buffers of this many bytes.
    static constexpr size_t kTemplateBufferCapacity = 80;

    uint16_t stegoModifierKey = 0;
    int32_t offerTemplateList = 0;
    std::string ownTemplate = ">";
    // The number of templates the page holds; only its low 8 bits reach the record.
    int32_t templateCount = 0;
    // In the order the page's sorted list box shows them once the page has been left.
    std::list<std::string> templateList;

    // The record's values; the templates in the record's order, each through an 80-byte
    // buffer.
    static StegoPageValues FromRecord(const CConfig& record);
};

// What the sheet hands back after OK. The General page is always shown first, so its values
// always count; the other two count only when the user opened them.
struct SettingsSheetValues {
    GeneralPageValues general;
    TextPageValues text;
    StegoPageValues stego;
    bool textPageSeen = false;
    bool stegoPageSeen = false;
};

// `text` as it comes out of a zero-terminated buffer of `capacity` bytes: cut at a zero byte
// and to capacity - 1 characters.
std::string ThroughBuffer(const std::string& text, size_t capacity);

}  // namespace velkaro
