#include "cfg_shifr_txt.h"

#include "data_exchange.h"
#include "info_note_dlg.h"
#include "resource_ids.h"

namespace velkaro {

CCfgShifrTxt::CCfgShifrTxt(HINSTANCE module, const AppState& app, MessageSink& messages, bool& seen)
    : ui::PropertyPage(module, IDD_CFG_SHIFR_TXT),
      app_(app),
      messages_(messages),
      seen_(seen),
      values_(TextPageValues::FromRecord(app.config)),
      // A palette picture whose grey the system maps to the button face colour.
      noteBitmap_(static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(IDB_EDIT_NOTE),
                                                  IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS))) {}

BOOL CCfgShifrTxt::OnInitDialog() {
    values_ = TextPageValues::FromRecord(app_.config);
    UpdateData(false);
    SendDlgItemMessageA(hwnd(), IDC_CFG_EDIT_NOTE, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(noteBitmap_.get()));
    seen_ = true;
    return TRUE;
}

void CCfgShifrTxt::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Check(IDC_CFG_COLOUR_BACKGROUND, values_.colourBackground);
    exchange.Check(IDC_CFG_ADD_INFO_NOTE, values_.addInfoNote);
}

bool CCfgShifrTxt::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDC_CFG_EDIT_NOTE || code != BN_CLICKED) return false;
    // The editor changes the note file only; the note's prepared forms are rebuilt when the
    // note is switched on, or at the next start.
    // Owned by the sheet, which stays disabled meanwhile: an OK of the sheet would otherwise
    // destroy this page while its handler still runs the editor.
    CInfoNoteDlg editor(module(), app_, messages_);
    editor.RunModal(GetParent(hwnd()));
    return true;
}

}  // namespace velkaro
