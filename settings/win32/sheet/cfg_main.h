#pragma once
// CCfgMain: the settings page "Общие настройки" (template 165): keep the password, start with
// Windows, the desktop link, and the hidden idle options with their minutes (0..30).

#include <windows.h>

#include "app_state.h"
#include "property_sheet.h"
#include "settings_sheet_values.h"

namespace velkaro {

class CCfgMain : public ui::PropertyPage {
public:
    // `app` must outlive the page; its record is only read.
    CCfgMain(HINSTANCE module, const AppState& app);

    // The values as the page last read them from its controls (when it was left or OK was
    // pressed); the record's values before the page was shown.
    const GeneralPageValues& values() const { return values_; }

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    // The minutes edit is usable only while an idle option is set.
    void EnableIdleMinutes();

    const AppState& app_;
    GeneralPageValues values_;
    HWND idleMinutes_ = nullptr;
};

}  // namespace velkaro
