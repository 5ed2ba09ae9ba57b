#pragma once
// CPasswordDlg: the modal password question of template 102, asked while the clipboard
// viewer is open (the main window itself is the password window otherwise). It shows the
// keyboard layout, lets a click on the indicator switch it, and carries the box that keeps
// the password in memory; that box takes effect at once, whether the dialog ends with OK or
// Cancel.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "app_state.h"
#include "dialog.h"
#include "layout_indicator.h"
#include "white_brush.h"

namespace velkaro {

class CPasswordDlg : public ui::Dialog {
public:
    static constexpr size_t kPasswordCapacity = 33;  // at most 32 characters

    // keepPasswordBox: the main window's copy of the keep setting, updated with it.
    CPasswordDlg(HINSTANCE module, AppState& app, const LayoutPictures& pictures,
                 int32_t& keepPasswordBox);
    // Wipes the password.
    ~CPasswordDlg() override;

    // After OK: the password typed (zero-terminated).
    const char* password() const { return password_; }

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    HBRUSH OnControlColour(HDC dc, HWND control, UINT message) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;

    // OK and Cancel alike: the box is stored, the timer stops, the field is wiped.
    void Finish(INT_PTR result);

    AppState& app_;
    int32_t& keepPasswordBox_;
    LayoutIndicator indicator_;
    ui::WhiteBrush brush_;
    char password_[kPasswordCapacity] = {};
    int32_t keepBox_ = 0;
};

}  // namespace velkaro
