// Shows one of the dialogs with sample content, for a look and a screenshot (not a test):
//   dialogs_preview viewer|viewer-done|note|chooser|about
// The screen rectangles of the shown window's toolbar buttons are written to
// dialogs_preview.txt in the current folder ("command left top right bottom" a line), so that
// a pointer can be moved over a button to show its tooltip. The window stays until closed.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "about_dlg.h"
#include "app_state.h"
#include "clipboard_dlg.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "info_note_dlg.h"
#include "key_cache.h"
#include "recording_sink.h"
#include "request_context.h"
#include "request_roads.h"
#include "resource_ids.h"
#include "template_dlg.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

// The main window's part, for a viewer that only has to be looked at.
class IdleHost : public RequestHost {
public:
    bool ShowPasswordWindow() override { return false; }
    void HidePasswordWindow() override {}
    void RefreshPasswordWindow() override {}
    bool ClipboardViewerOpen() override { return true; }
    bool AskPasswordModal(char*, size_t) override { return false; }
    void RunTransform(TransformMode) override {}
    bool FindTargetUnderCursor() override { return false; }
};

void WriteButtonPlaces(HWND dialog) {
    std::FILE* out = std::fopen("dialogs_preview.txt", "w");
    if (!out) return;
    HWND bar = FindWindowExA(dialog, nullptr, TOOLBARCLASSNAMEA, nullptr);
    const LRESULT count = bar ? SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button = {};
        RECT r = {};
        SendMessageA(bar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & BTNS_SEP) continue;
        SendMessageA(bar, TB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
        std::fprintf(out, "%d %ld %ld %ld %ld\n", button.idCommand, r.left, r.top, r.right, r.bottom);
    }
    std::fclose(out);
}

// Writes the button places once the dialog of a modal run has its window.
class PlacesWhenShown {
public:
    explicit PlacesWhenShown(ui::Dialog& dialog) : dialog_(dialog) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &Tick);
    }
    ~PlacesWhenShown() {
        if (timer_) KillTimer(nullptr, timer_);
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!current_ || !current_->dialog_.hwnd()) return;
        KillTimer(nullptr, current_->timer_);
        current_->timer_ = 0;
        WriteButtonPlaces(current_->dialog_.hwnd());
    }
    static inline PlacesWhenShown* current_ = nullptr;
    ui::Dialog& dialog_;
    UINT_PTR timer_ = 0;
};

int Run(const std::string& which) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    TempDir dir;
    FakeAppPlatform platform(dir.File("velkaro.exe"));
    auto app = std::make_unique<AppState>(platform);
    RecordingSink messages;

    if (which == "viewer" || which == "viewer-done") {
        KeyCache cache;
        RequestContext request;
        IdleHost host;
        RequestRoads roads(*app, cache, request, messages, host);
        const std::string sample = Cp1251::FromUtf8(
            "Здравствуй, Маша!\r\n\r\nВстреча переносится на пятницу, в семь вечера, у входа в "
            "библиотеку.\r\nЗахвати, пожалуйста, ключи от дачи.\r\n\r\nДо встречи,\r\nСаша");
        std::memcpy(app->textBuffer, sample.c_str(), sample.size() + 1);
        app->clipboardState = 1;
        CClipboardDlg viewer(module, *app, roads, messages, nullptr);
        if (!viewer.CreateModeless(nullptr)) return 2;
        ShowWindow(viewer.hwnd(), SW_SHOW);
        // After a completed action the button "Зашифровать/расшифровать" is disabled.
        if (which == "viewer-done") {
            SendMessageA(FindWindowExA(viewer.hwnd(), nullptr, TOOLBARCLASSNAMEA, nullptr),
                         TB_ENABLEBUTTON, ID_TB_CRYPT, FALSE);
        }
        WriteButtonPlaces(viewer.hwnd());
        MSG msg;
        // Its "Выход" posts the close request to the thread (no main window here).
        while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_SHELL_REQUEST) {
            if (!IsDialogMessageA(viewer.hwnd(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        return 0;
    }
    if (which == "note") {
        dir.Write("msgtext.txt", Cp1251::FromUtf8("Это письмо зашифровано программой Velkaro Stego.\r\n"
                                                  "Программу можно получить у отправителя."));
        CInfoNoteDlg editor(module, *app, messages);
        PlacesWhenShown places(editor);
        editor.RunModal(nullptr);
        return 0;
    }
    if (which == "chooser") {
        CTemplateDlg chooser(module);
        std::string cover;
        chooser.Choose(app->config, cover);
        return 0;
    }
    if (which == "about") {
        CAboutDlg about(module);
        about.RunModal(nullptr);
        return 0;
    }
    return 1;
}

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    return velkaro::Run(argc > 1 ? argv[1] : "");
}
