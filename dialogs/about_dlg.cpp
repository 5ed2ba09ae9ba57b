#include "about_dlg.h"

#include "resource_ids.h"
#include "resource_strings.h"
#include "screen_centre.h"
#include "string_ids.h"

namespace velkaro {

CAboutDlg::CAboutDlg(HINSTANCE module)
    : ui::Dialog(module, IDD_ABOUT),
      version_(ui::LoadAnsiString(module, IDS_PROGRAM_VERSION_SUFFIX, kVersionLength + 1)) {}

CAboutDlg::~CAboutDlg() { Destroy(); }

BOOL CAboutDlg::OnInitDialog() {
    SetDlgItemTextA(hwnd(), IDC_ABOUT_VERSION, version_.c_str());
    icon_.reset(static_cast<HICON>(LoadImageA(module(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), 0)));
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    CentreOnScreen(hwnd());
    return TRUE;
}

HBRUSH CAboutDlg::OnControlColour(HDC dc, HWND, UINT) { return brush_.Paint(dc); }

void CAboutDlg::OnDestroy() {
    // The window lets go of the icon before the icon goes.
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, 0);
    brush_.release();
}

bool CAboutDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message != WM_HELP) return false;
    result = TRUE;  // F1 is swallowed: the about box opens no help
    return true;
}

}  // namespace velkaro
