#include "cfg_sheet.h"

#include "resource_ids.h"
#include "resource_strings.h"
#include "string_ids.h"

namespace velkaro {
namespace {

constexpr size_t kCaptionCapacity = 256;
// The pixels between two of the sheet's buttons, twice: OK and Cancel move over the places
// of the two hidden buttons.
constexpr int kButtonShiftExtra = 12;

void MoveRightByTwiceItsWidth(HWND sheet, HWND button) {
    RECT r;
    if (!button || !GetWindowRect(button, &r)) return;
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left;
    SetWindowPos(button, nullptr, r.left + 2 * width + kButtonShiftExtra, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The tray program has no visible window to stand beside: the sheet opens in the middle of
// the screen, as the program's other windows do.
void CentreOnScreen(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(window, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CCfgSheet::CCfgSheet(HINSTANCE module, const AppState& app, MessageSink& messages)
    : ui::PropertySheet(module, ui::LoadAnsiString(module, IDS_SETTINGS_CAPTION, kCaptionCapacity), 0),
      main_(module, app),
      text_(module, app, messages, textPageSeen_),
      stego_(module, app, stegoPageSeen_) {
    AddPage(main_);
    AddPage(text_);
    AddPage(stego_);
}

void CCfgSheet::OnInitDialog() {
    ShowWindow(Item(IDC_SHEET_APPLY), SW_HIDE);
    ShowWindow(Item(IDC_SHEET_HELP), SW_HIDE);
    MoveRightByTwiceItsWidth(hwnd(), Item(IDOK));
    MoveRightByTwiceItsWidth(hwnd(), Item(IDCANCEL));
    CentreOnScreen(hwnd());
}

SettingsSheetValues CCfgSheet::Values() const {
    SettingsSheetValues values;
    values.general = main_.values();
    values.text = text_.values();
    values.stego = stego_.values();
    values.textPageSeen = textPageSeen_;
    values.stegoPageSeen = stegoPageSeen_;
    return values;
}

}  // namespace velkaro
