#include "template_dlg.h"

#include <algorithm>
#include <cstring>

#include "resource_ids.h"
#include "screen_centre.h"

namespace velkaro {

CTemplateDlg::CTemplateDlg(HINSTANCE module) : ui::Dialog(module, IDD_TEMPLATE) {}

CTemplateDlg::~CTemplateDlg() { Destroy(); }

bool CTemplateDlg::Choose(const CConfig& config, std::string& coverText) {
    config_ = &config;
    const INT_PTR result = RunModal(nullptr);
    config_ = nullptr;
    if (result != IDOK) return false;
    // Nothing was offered, so nothing was chosen: the caller's own template stays.
    if (offered_) coverText = transfer_;
    return true;
}

BOOL CTemplateDlg::OnInitDialog() {
    HWND list = Item(IDC_TEMPLATE_LIST);
    offered_ = false;
    if (config_) {
        // templateCount entries from the head of the list (the count is what the settings
        // file stores; the list never holds fewer).
        unsigned left = config_->templateCount;
        for (auto it = config_->templateList.begin(); left > 0 && it != config_->templateList.end();
             ++it, --left) {
            std::memset(transfer_, 0, sizeof transfer_);
            std::memcpy(transfer_, it->data(), std::min(it->size(), kMaxOffered));
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(transfer_));
            offered_ = true;
        }
    }
    CentreOnScreen(hwnd());
    // The hidden message waits for this choice: the chooser comes to the front.
    SetForegroundWindow(hwnd());
    SetFocus(list);
    return FALSE;  // the focus is set
}

void CTemplateDlg::OnOK() {
    HWND list = Item(IDC_TEMPLATE_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, WPARAM(selected), 0);
        if (length != LB_ERR && size_t(length) < sizeof transfer_) {
            SendMessageA(list, LB_GETTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(transfer_));
        }
    }
    EndDialog(IDOK);
}

}  // namespace velkaro
