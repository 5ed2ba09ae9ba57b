#pragma once
// CCfgStego: the settings page "Стегонаграфия" (template 166): the key held during the double
// click that starts a hidden message (CTRL, SHIFT or INS), whether the chooser offers the
// template list (shown in a sorted list box), and the user's own template.

#include <windows.h>

#include "app_state.h"
#include "property_sheet.h"
#include "settings_sheet_values.h"

namespace velkaro {

class CCfgStego : public ui::PropertyPage {
public:
    // `app` must outlive the page; its record is only read. `seen` is set when the page is
    // first shown: only then do its values count.
    CCfgStego(HINSTANCE module, const AppState& app, bool& seen);

    // After the page has been left (or OK pressed on it) the templates are in the list box's
    // alphabetical order.
    const StegoPageValues& values() const { return values_; }

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnKillActive() override;

    // The list box and its three (hidden) buttons are usable only while the list is offered.
    void EnableTemplateList();
    // Takes the templates back from the list box, in its order.
    void ReadTemplateList();

    const AppState& app_;
    bool& seen_;
    StegoPageValues values_;
    HWND list_ = nullptr;
};

}  // namespace velkaro
