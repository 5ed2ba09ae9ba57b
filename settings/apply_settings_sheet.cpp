#include "apply_settings_sheet.h"

#include "string_ids.h"

namespace velkaro {
namespace {

constexpr char kDefaultOwnTemplate[] = ">";

// Brings the desktop link in line with the box and answers what the record keeps.
int32_t PlaceDesktopLink(int32_t wanted, ShellIntegration& shell, MessageSink& messages) {
    const bool exists = shell.DesktopLinkExists();
    if (wanted && !exists && !shell.CreateDesktopLink()) {
        messages.ShowMessage(IDS_DESKTOP_LINK_FAILED, kStyleStop);
        return shell.DesktopLinkExists() ? 1 : 0;
    }
    if (!wanted && exists && !shell.DeleteDesktopLink()) {
        messages.ShowMessage(IDS_DESKTOP_LINK_DELETE_FAILED, kStyleStop);
        return shell.DesktopLinkExists() ? 1 : 0;
    }
    return wanted;
}

void ApplyTextPage(const TextPageValues& page, AppState& app) {
    CConfig& record = app.config;
    if (page.addInfoNote && !record.addInfoNote) {
        // Switched on: the note is used from the next encryption on, so it is read now.
        record.addInfoNote = page.addInfoNote;
        app.LoadInfoNote();
    } else {
        record.addInfoNote = page.addInfoNote;
    }
    record.colourBackground = page.colourBackground;
}

void ApplyStegoPage(const StegoPageValues& page, CConfig& record) {
    record.offerTemplateList = page.offerTemplateList;
    record.stegoModifierKey = page.stegoModifierKey;
    record.ownTemplate = StorableSettingsLine(page.ownTemplate);
    if (record.ownTemplate.empty()) record.ownTemplate = kDefaultOwnTemplate;

    const size_t count = uint8_t(page.templateCount);
    record.templateList.clear();
    size_t taken = 0;
    for (auto entry = page.templateList.begin();
         entry != page.templateList.end() && taken < count; ++entry, ++taken) {
        std::string line = StorableSettingsLine(
            ThroughBuffer(*entry, StegoPageValues::kTemplateBufferCapacity));
        if (!line.empty()) record.templateList.push_back(std::move(line));
    }
    record.templateCount = uint8_t(record.templateList.size());
}

}  // namespace

std::string StorableSettingsLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
    if (line.size() > CConfig::kMaxTemplateLength) line.resize(CConfig::kMaxTemplateLength);
    return line;
}

void ApplySettingsSheet(const SettingsSheetValues& values, AppState& app, ShellIntegration& shell,
                        MessageSink& messages) {
    CConfig& record = app.config;
    const GeneralPageValues& general = values.general;
    record.eraseKeysWhenIdle = general.eraseKeysWhenIdle;
    record.keepPassword = general.keepPassword;
    record.unloadWhenIdle = general.unloadWhenIdle;
    record.idleMinutes = uint16_t(general.idleMinutes);

    const int32_t desktopLink = PlaceDesktopLink(general.desktopLink, shell, messages);
    // Compared as on and off: a stored 2 shown as a checked box is no change.
    if ((general.autoStart != 0) != (record.autoStart != 0)) shell.SetAutoStart(general.autoStart != 0);
    record.desktopLink = desktopLink;
    record.autoStart = general.autoStart;

    if (values.textPageSeen) ApplyTextPage(values.text, app);
    if (values.stegoPageSeen) ApplyStegoPage(values.stego, record);

    record.SaveSettingsFile(record.PathName());
}

}  // namespace velkaro
