#include "cfg_stego.h"

#include <vector>

#include "data_exchange.h"
#include "resource_ids.h"

namespace velkaro {
namespace {

// The radio buttons in the order of kStegoModifierKeys: CTRL, SHIFT, INS.
constexpr int kModifierButtons[] = {IDC_STEGO_CTRL, IDC_STEGO_SHIFT, IDC_STEGO_INS};
static_assert(sizeof kModifierButtons / sizeof kModifierButtons[0] == kStegoModifierKeyCount,
              "a button for every key");
constexpr int kTemplateButtons[] = {IDC_STEGO_BUTTON_ADD, IDC_STEGO_BUTTON_DELETE, IDC_STEGO_BUTTON_EDIT};

}  // namespace

CCfgStego::CCfgStego(HINSTANCE module, const AppState& app, bool& seen)
    : ui::PropertyPage(module, IDD_CFG_STEGO),
      app_(app),
      seen_(seen),
      values_(StegoPageValues::FromRecord(app.config)) {}

BOOL CCfgStego::OnInitDialog() {
    list_ = Item(IDC_STEGO_TEMPLATES);
    values_ = StegoPageValues::FromRecord(app_.config);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : values_.templateList) {
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    const int checked = StegoModifierKeyIndex(values_.stegoModifierKey);
    for (size_t i = 0; i < kStegoModifierKeyCount; ++i) {
        CheckDlgButton(hwnd(), kModifierButtons[i], int(i) == checked ? BST_CHECKED : BST_UNCHECKED);
    }
    EnableTemplateList();
    UpdateData(false);
    seen_ = true;
    return TRUE;
}

void CCfgStego::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Check(IDC_STEGO_OFFER_LIST, values_.offerTemplateList);
    exchange.Text(IDC_STEGO_OWN_TEMPLATE, values_.ownTemplate, CConfig::kMaxTemplateLength);
}

bool CCfgStego::OnCommand(UINT id, UINT code, HWND) {
    if (code != BN_CLICKED) return false;
    for (size_t i = 0; i < kStegoModifierKeyCount; ++i) {
        if (int(id) == kModifierButtons[i]) {
            values_.stegoModifierKey = kStegoModifierKeys[i];
            return true;
        }
    }
    if (id != IDC_STEGO_OFFER_LIST) return false;
    UpdateData(true);
    EnableTemplateList();
    UpdateData(false);
    return true;
}

bool CCfgStego::OnKillActive() {
    if (!UpdateData(true)) return false;
    ReadTemplateList();
    return true;
}

void CCfgStego::EnableTemplateList() {
    const BOOL enabled = values_.offerTemplateList ? TRUE : FALSE;
    EnableWindow(list_, enabled);
    for (int id : kTemplateButtons) EnableWindow(Item(id), enabled);
}

void CCfgStego::ReadTemplateList() {
    const LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    values_.templateCount = count > 0 ? int32_t(count) : 0;
    values_.templateList.clear();
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, WPARAM(i), 0);
        if (length < 0) continue;
        // Sized by the item itself (LB_GETTEXT does not know the buffer's size), then cut as
        // the 80-byte buffer the templates travel through would cut it.
        std::vector<char> text(size_t(length) + 1, '\0');
        SendMessageA(list_, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        values_.templateList.push_back(
            ThroughBuffer(std::string(text.data()), StegoPageValues::kTemplateBufferCapacity));
    }
}

}  // namespace velkaro
