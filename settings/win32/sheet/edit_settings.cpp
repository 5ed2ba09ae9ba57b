#include "edit_settings.h"

#include "apply_settings_sheet.h"
#include "cfg_sheet.h"
#include "shell_integration_win32.h"

namespace velkaro {
namespace {

// The sheet while EditSettings runs it. The tray menu stays usable while the sheet is open;
// a second sheet run inside the first would let the outer one's OK overwrite what the inner
// one stored, so the command brings the open sheet forward instead.
const CCfgSheet* g_runningSheet = nullptr;

class RunningSheetScope {
public:
    explicit RunningSheetScope(const CCfgSheet& sheet) { g_runningSheet = &sheet; }
    ~RunningSheetScope() { g_runningSheet = nullptr; }
    RunningSheetScope(const RunningSheetScope&) = delete;
    RunningSheetScope& operator=(const RunningSheetScope&) = delete;
};

}  // namespace

void EditSettings(HINSTANCE module, HWND mainWindow, AppState& app, MessageSink& messages) {
    if (g_runningSheet) {
        if (g_runningSheet->hwnd()) SetForegroundWindow(g_runningSheet->hwnd());
        return;
    }
    CCfgSheet sheet(module, app, messages);
    INT_PTR result;
    {
        RunningSheetScope running(sheet);
        result = sheet.RunModal(mainWindow);
    }
    if (result != IDOK) return;
    ShellIntegrationWin32 shell(app, messages);
    ApplySettingsSheet(sheet.Values(), app, shell, messages);
}

}  // namespace velkaro
