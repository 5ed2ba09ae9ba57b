// Shows window template 102 as the program dresses it (white background, the program's
// caption, the "En" indicator, a typed password, the keep box checked), to look at it and to
// take screenshots; not a test. Prints the dialog's units in pixels and every control's place.
//
//   resources_template_preview [SECONDS]   closes itself after SECONDS (default 60), or on
//                                          OK, Cancel, Esc or the close box
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "cp1251.h"
#include "dialog.h"
#include "handles.h"
#include "resource_ids.h"
#include "white_brush.h"

namespace velkaro {
namespace {

constexpr UINT_PTR kCloseTimer = 1;

class TemplatePreview : public ui::Dialog {
public:
    TemplatePreview(HINSTANCE module, UINT seconds) : Dialog(module, IDD_MAIN), seconds_(seconds) {}
    ~TemplatePreview() override { Destroy(); }

protected:
    BOOL OnInitDialog() override {
        SetWindowTextA(hwnd(), Cp1251::FromUtf8("Velkaro Stego Версия 3.1").c_str());
        HWND indicator = Item(IDC_LAYOUT_INDICATOR);
        SetWindowLongPtrA(indicator, GWL_STYLE,
                          GetWindowLongPtrA(indicator, GWL_STYLE) | SS_BITMAP | SS_CENTERIMAGE);
        layout_.reset(LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_LAYOUT_EN)));
        SendMessageA(indicator, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(layout_.get()));
        SetDlgItemTextA(hwnd(), IDC_PASSWORD, "secret");
        CheckDlgButton(hwnd(), IDC_KEEP_PASSWORD, BST_CHECKED);
        Report();
        RECT window;
        GetWindowRect(hwnd(), &window);
        const int w = window.right - window.left;
        const int h = window.bottom - window.top;
        SetWindowPos(hwnd(), HWND_TOPMOST, GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2,
                     GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2, 0, 0, SWP_NOSIZE);
        SetTimer(hwnd(), kCloseTimer, seconds_ * 1000, nullptr);
        SetFocus(Item(IDC_PASSWORD));
        return FALSE;
    }
    HBRUSH OnControlColour(HDC dc, HWND, UINT) override { return white_.Paint(dc); }
    void OnDestroy() override { KillTimer(hwnd(), kCloseTimer); }
    bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        if (message != WM_TIMER) return false;
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    }

private:
    void Report() const {
        RECT units = {0, 0, 4, 8};
        MapDialogRect(hwnd(), &units);
        RECT client;
        GetClientRect(hwnd(), &client);
        std::printf("4 x 8 dialog units = %ld x %ld pixels; client area %ld x %ld\n", units.right,
                    units.bottom, client.right, client.bottom);
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
        std::printf("font \"%s\", height %ld\n", font.lfFaceName, font.lfHeight);
        for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
            char name[32] = {};
            GetClassNameA(child, name, sizeof name);
            std::printf("control %5d %-8s at %3ld,%3ld size %3ld x %3ld\n", GetDlgCtrlID(child), name,
                        r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        std::fflush(stdout);
    }

    UINT seconds_;
    ui::WhiteBrush white_;
    ui::UniqueBitmap layout_;
};

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    velkaro::TemplatePreview preview(GetModuleHandleA(nullptr), seconds > 0 ? UINT(seconds) : 60);
    return preview.RunModal(nullptr) == -1 ? 1 : 0;
}
