#include "settings_sheet_values.h"

namespace velkaro {

int StegoModifierKeyIndex(uint16_t key) {
    for (size_t i = 0; i < kStegoModifierKeyCount; ++i) {
        if (kStegoModifierKeys[i] == key) return int(i);
    }
    return -1;
}

std::string ThroughBuffer(const std::string& text, size_t capacity) {
    if (capacity == 0) return std::string();
    std::string copy = text.substr(0, text.find('\0'));
    if (copy.size() > capacity - 1) copy.resize(capacity - 1);
    return copy;
}

GeneralPageValues GeneralPageValues::FromRecord(const CConfig& record) {
    GeneralPageValues values;
    values.autoStart = record.autoStart;
    values.eraseKeysWhenIdle = record.eraseKeysWhenIdle;
    values.desktopLink = record.desktopLink;
    values.keepPassword = record.keepPassword;
    values.unloadWhenIdle = record.unloadWhenIdle;
    values.idleMinutes = record.idleMinutes > kMaxIdleMinutes ? 0 : record.idleMinutes;
    return values;
}

TextPageValues TextPageValues::FromRecord(const CConfig& record) {
    TextPageValues values;
    values.colourBackground = record.colourBackground;
    values.addInfoNote = record.addInfoNote;
    return values;
}

StegoPageValues StegoPageValues::FromRecord(const CConfig& record) {
    StegoPageValues values;
    values.stegoModifierKey = record.stegoModifierKey;
    values.offerTemplateList = record.offerTemplateList;
    values.ownTemplate = record.ownTemplate;
    values.templateCount = int32_t(record.templateList.size());
    for (const std::string& entry : record.templateList) {
        values.templateList.push_back(ThroughBuffer(entry, kTemplateBufferCapacity));
    }
    return values;
}

}  // namespace velkaro
