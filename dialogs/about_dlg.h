#pragma once
// CAboutDlg: the "О программе" box (modal, template 142): a picture, what the program is for
// and its version, on a white background. F1 opens nothing here.

#include <windows.h>

#include <string>

#include "dialog.h"
#include "handles.h"
#include "white_brush.h"

namespace velkaro {

class CAboutDlg : public ui::Dialog {
public:
    // The version text holds at most this many characters.
    static constexpr size_t kVersionLength = 20;

    explicit CAboutDlg(HINSTANCE module);
    ~CAboutDlg() override;

    // " Версия 3.1" (ANSI), shown in static 1015.
    const std::string& version() const { return version_; }

private:
    BOOL OnInitDialog() override;
    HBRUSH OnControlColour(HDC dc, HWND control, UINT message) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    std::string version_;
    ui::UniqueIcon icon_;
    ui::WhiteBrush brush_;
};

}  // namespace velkaro
