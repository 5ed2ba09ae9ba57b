#pragma once
// CCfgSheet: the settings sheet "Настройка" with its three pages, General, Text encryption and
// Steganography, in that order. It shows only OK and Cancel, moved to where Apply and Help
// would stand, and hands back the pages' values with which of the later pages the user opened.

#include <windows.h>

#include "app_state.h"
#include "cfg_main.h"
#include "cfg_shifr_txt.h"
#include "cfg_stego.h"
#include "message_sink.h"
#include "property_sheet.h"
#include "settings_sheet_values.h"

namespace velkaro {

class CCfgSheet : public ui::PropertySheet {
public:
    // `module` holds the templates, the pictures and the caption; `app` and `messages` must
    // outlive the sheet. The record is only read: OK's values are applied by the caller.
    CCfgSheet(HINSTANCE module, const AppState& app, MessageSink& messages);

    // What the pages hold now; after RunModal ended with IDOK, what the user accepted.
    SettingsSheetValues Values() const;

    bool textPageSeen() const { return textPageSeen_; }
    bool stegoPageSeen() const { return stegoPageSeen_; }

private:
    void OnInitDialog() override;

    // Before the pages, which set them when they are first shown.
    bool textPageSeen_ = false;
    bool stegoPageSeen_ = false;
    CCfgMain main_;
    CCfgShifrTxt text_;
    CCfgStego stego_;
};

}  // namespace velkaro
