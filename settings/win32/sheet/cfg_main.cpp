#include "cfg_main.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "data_exchange.h"
#include "resource_ids.h"
#include "resource_strings.h"
#include "string_ids.h"

namespace velkaro {
namespace {

constexpr size_t kMessageCapacity = 256;

// "Please enter an integer between %1 and %2." with the page's bounds.
std::string RangeMessage(HINSTANCE module, int32_t min, int32_t max) {
    std::string text = ui::LoadAnsiString(module, IDS_INTEGER_RANGE, kMessageCapacity);
    for (auto [mark, value] : {std::pair{"%1", min}, std::pair{"%2", max}}) {
        const size_t at = text.find(mark);
        if (at != std::string::npos) text.replace(at, 2, std::to_string(value));
    }
    return text;
}

}  // namespace

CCfgMain::CCfgMain(HINSTANCE module, const AppState& app)
    : ui::PropertyPage(module, IDD_CFG_MAIN), app_(app), values_(GeneralPageValues::FromRecord(app.config)) {}

BOOL CCfgMain::OnInitDialog() {
    idleMinutes_ = Item(IDC_CFG_IDLE_MINUTES);
    SendDlgItemMessageA(hwnd(), IDC_CFG_IDLE_SPIN, UDM_SETRANGE, 0,
                        MAKELPARAM(GeneralPageValues::kMaxIdleMinutes, 0));
    values_ = GeneralPageValues::FromRecord(app_.config);
    EnableIdleMinutes();
    UpdateData(false);
    return TRUE;
}

void CCfgMain::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Check(IDC_CFG_AUTOSTART, values_.autoStart);
    exchange.Check(IDC_CFG_ERASE_KEYS_IDLE, values_.eraseKeysWhenIdle);
    exchange.Check(IDC_CFG_DESKTOP_LINK, values_.desktopLink);
    exchange.Check(IDC_CFG_KEEP_PASSWORD, values_.keepPassword);
    exchange.Check(IDC_CFG_UNLOAD_IDLE, values_.unloadWhenIdle);
    exchange.Integer(IDC_CFG_IDLE_MINUTES, values_.idleMinutes, 0, GeneralPageValues::kMaxIdleMinutes,
                     RangeMessage(module(), 0, GeneralPageValues::kMaxIdleMinutes),
                     app_.programCaption);
}

bool CCfgMain::OnCommand(UINT id, UINT code, HWND) {
    if ((id != IDC_CFG_UNLOAD_IDLE && id != IDC_CFG_ERASE_KEYS_IDLE) || code != BN_CLICKED) return false;
    UpdateData(true);
    EnableIdleMinutes();
    UpdateData(false);
    return true;
}

void CCfgMain::EnableIdleMinutes() { EnableWindow(idleMinutes_, values_.IdleMinutesEnabled()); }

}  // namespace velkaro
