#include "password_dlg.h"

#include <windowsx.h>

#include "data_exchange.h"
#include "resource_ids.h"
#include "secure_wipe.h"
#include "window_helpers.h"

namespace velkaro {

CPasswordDlg::CPasswordDlg(HINSTANCE module, AppState& app, const LayoutPictures& pictures,
                           int32_t& keepPasswordBox)
    : ui::Dialog(module, IDD_PASSWORD),
      app_(app),
      keepPasswordBox_(keepPasswordBox),
      indicator_(pictures, app.layoutLangId) {}

CPasswordDlg::~CPasswordDlg() {
    Destroy();
    SecureWipe(password_, sizeof password_);
}

BOOL CPasswordDlg::OnInitDialog() {
    indicator_.Attach(Item(IDC_LAYOUT_INDICATOR), true);
    keepBox_ = app_.config.keepPassword;
    SetTimer(hwnd(), IDT_PASSWORD_LAYOUT, LAYOUT_TIMER_PERIOD_MS, nullptr);
    UpdateData(false);
    PlaceWindow(hwnd(), app_.programCaption);
    SetForegroundWindow(hwnd());
    SetFocus(Item(IDC_PASSWORD));
    return FALSE;  // the focus is set
}

void CPasswordDlg::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Text(IDC_PASSWORD, password_, sizeof password_);
    exchange.Check(IDC_KEEP_PASSWORD, keepBox_);
}

void CPasswordDlg::OnOK() { Finish(1); }

void CPasswordDlg::OnCancel() { Finish(0); }

void CPasswordDlg::Finish(INT_PTR result) {
    UpdateData(true);
    if (result == 0) SecureWipe(password_, sizeof password_);
    app_.config.keepPassword = keepBox_;
    keepPasswordBox_ = keepBox_;
    KillTimer(hwnd(), IDT_PASSWORD_LAYOUT);
    ui::WipeControlText(Item(IDC_PASSWORD));
    EndDialog(result);
}

bool CPasswordDlg::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDC_KEEP_PASSWORD || code != BN_CLICKED) return false;
    keepBox_ = !keepBox_;
    CheckDlgButton(hwnd(), IDC_KEEP_PASSWORD, keepBox_ ? BST_CHECKED : BST_UNCHECKED);
    app_.config.keepPassword = keepBox_;
    keepPasswordBox_ = keepBox_;
    return true;
}

HBRUSH CPasswordDlg::OnControlColour(HDC dc, HWND, UINT) { return brush_.Paint(dc); }

bool CPasswordDlg::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_TIMER:
        indicator_.Tick();
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
        if (indicator_.Click(hwnd(), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            SetFocus(Item(IDC_PASSWORD));
        }
        return false;  // the default handling follows
    case WM_HELP:
        ShowHelp(hwnd(), app_.helpPath);
        result = TRUE;
        return true;
    default:
        return false;
    }
}

void CPasswordDlg::OnDestroy() { KillTimer(hwnd(), IDT_PASSWORD_LAYOUT); }

}  // namespace velkaro
