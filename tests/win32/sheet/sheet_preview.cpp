// Shows the settings sheet at one of its pages, over a settings file with the defaults in a
// temporary folder, to look at it and to take screenshots; not a test. Prints the places of
// the sheet's buttons.
//
//   sheet_preview [PAGE [SECONDS]]   PAGE 0, 1 or 2 (default 0); closes itself after SECONDS
//                                    (default 60), or on OK, Cancel, Esc or the close box
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app_state.h"
#include "cfg_sheet.h"
#include "fake_app_platform.h"
#include "recording_sink.h"
#include "resource_ids.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

struct Preview {
    HWND sheet = nullptr;
    int page = 0;
    UINT seconds = 60;
    ULONGLONG shownAt = 0;
    bool switched = false;
};
Preview g_preview;

void ReportButtons(HWND sheet) {
    for (int id : {IDOK, IDCANCEL, IDC_SHEET_APPLY, IDC_SHEET_HELP}) {
        HWND button = GetDlgItem(sheet, id);
        RECT r = {};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
        std::printf("button %5d %s at %3ld,%3ld size %3ld x %3ld\n", id,
                    IsWindowVisible(button) ? "shown " : "hidden", r.left, r.top, r.right - r.left,
                    r.bottom - r.top);
    }
    RECT client;
    GetClientRect(sheet, &client);
    std::printf("sheet client %ld x %ld\n", client.right, client.bottom);
    std::fflush(stdout);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = FindWindowA("#32770", nullptr);
    if (!g_preview.switched && sheet && IsWindowVisible(sheet)) {
        g_preview.switched = true;
        g_preview.sheet = sheet;
        g_preview.shownAt = GetTickCount64();
        SendMessageA(sheet, PSM_SETCURSEL, WPARAM(g_preview.page), 0);
        ReportButtons(sheet);
    }
    if (g_preview.switched && GetTickCount64() - g_preview.shownAt > g_preview.seconds * 1000ull) {
        SendMessageA(g_preview.sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
}

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    using namespace velkaro;
    g_preview.page = argc > 1 ? std::atoi(argv[1]) : 0;
    g_preview.seconds = argc > 2 ? UINT(std::atoi(argv[2])) : 60;
    TempDir dir;
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    auto app = std::make_unique<AppState>(platform);
    RecordingSink messages;
    CCfgSheet sheet(GetModuleHandleA(nullptr), *app, messages);
    SetTimer(nullptr, 0, 50, Tick);
    const INT_PTR result = sheet.RunModal(nullptr);
    std::printf("sheet ended with %d\n", int(result));
    return 0;
}
