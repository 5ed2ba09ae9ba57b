#pragma once
// ApplySettingsSheet: what happens when the user accepts the settings sheet with OK. The
// pages' values go into the settings record, the desktop link and the start with Windows are
// brought in line with them, the informational note is rebuilt when it has just been
// switched on, and the settings file is written. Cancel never gets here.

#include "app_state.h"
#include "message_sink.h"
#include "settings_sheet_values.h"
#include "shell_integration.h"

namespace velkaro {

// In this order:
//  1. from the General page: eraseKeysWhenIdle, keepPassword, unloadWhenIdle, idleMinutes;
//  2. the desktop link by its actual presence: created when the box is checked and the link
//     is missing, deleted when the box is clear and the link is there. A failure shows
//     IDS_DESKTOP_LINK_FAILED or IDS_DESKTOP_LINK_DELETE_FAILED, and the record's
//     desktopLink then says whether a link is really there, so the box shows the truth
//     the next time the sheet opens;
//  3. the start with Windows, only when the box differs from the record (a refusal has shown
//     message 13; the record keeps the user's choice all the same);
//  4. autoStart and desktopLink into the record;
//  5. when the Text encryption page was opened: addInfoNote (switched on, the note is
//     loaded again at once; otherwise only copied) and colourBackground;
//  6. when the Steganography page was opened: offerTemplateList, stegoModifierKey, the own
//     template and the templates in the page's order, templateCount from the low 8 bits of
//     the page's count;
//  7. the settings file saved (a failed save has shown its message; the record keeps the new
//     values for this run).
// Texts that go into the file as lines are kept readable by the next load: cut at a line
// break and to 78 characters; an empty own template becomes ">", and empty templates are
// left out (an empty line would end the reading of the templates there).
void ApplySettingsSheet(const SettingsSheetValues& values, AppState& app, ShellIntegration& shell,
                        MessageSink& messages);

// `text` as a line of the settings file can keep it: cut at its first CR or LF (which would
// end the line early and shift every field after it) and to CConfig::kMaxTemplateLength
// characters (a longer line ends the reading of the file's templates).
std::string StorableSettingsLine(const std::string& text);

}  // namespace velkaro
