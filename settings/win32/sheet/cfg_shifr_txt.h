#pragma once
// CCfgShifrTxt: the settings page "Шифрование текста" (template 167): the background colour of
// encrypted HTML mail, the informational note in front of every encrypted message, and the
// button (bitmap 171) that opens the note editor.

#include <windows.h>

#include "app_state.h"
#include "handles.h"
#include "message_sink.h"
#include "property_sheet.h"
#include "settings_sheet_values.h"

namespace velkaro {

class CCfgShifrTxt : public ui::PropertyPage {
public:
    // `app` and `messages` must outlive the page; the record is only read. `seen` is set when
    // the page is first shown: only then do its values count.
    CCfgShifrTxt(HINSTANCE module, const AppState& app, MessageSink& messages, bool& seen);

    const TextPageValues& values() const { return values_; }

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    const AppState& app_;
    MessageSink& messages_;
    bool& seen_;
    TextPageValues values_;
    // The note button's picture, for as long as the page lives.
    ui::UniqueBitmap noteBitmap_;
};

}  // namespace velkaro
