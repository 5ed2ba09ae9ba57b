#include "main_app.h"

#include <memory>
#include <optional>

#include "app_platform_win32.h"
#include "app_state.h"
#include "com.h"
#include "handles.h"
#include "html_document_access.h"
#include "key_cache.h"
#include "layout_indicator.h"
#include "main_dlg.h"
#include "message_box_sink.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "velhook_api.h"

namespace velkaro {
namespace {

// The start-up messages are shown through an 80-byte buffer (the longest has 74 bytes).
constexpr size_t kStartupMessageCapacity = 80;

void ShowStartupMessage(AppPlatform& platform, const AppState& app, UINT id) {
    platform.ShowOwnerlessMessage(platform.LoadAnsiString(id, kStartupMessageCapacity),
                                  app.programCaption, MB_ICONINFORMATION);
}

}  // namespace

CMainApp::CMainApp(HINSTANCE instance) : instance_(instance) {
    DirectoryOfCommandLine(GetCommandLineA(), launchDirectory_);
    // Without a drive-letter path (empty, a bare file name, a UNC path) the program takes the
    // current directory.
    if (launchDirectory_[1] != ':') {
        const DWORD n = GetCurrentDirectoryA(kPathCapacity, launchDirectory_);
        if (n == 0 || n >= kPathCapacity) launchDirectory_[0] = '\0';
        const size_t length = lstrlenA(launchDirectory_);
        if (length > 0 && launchDirectory_[length - 1] != '\\') {
            AppendBounded(launchDirectory_, "\\");
        }
    }
}

int CMainApp::Run() {
    AppPlatformWin32 platform(instance_);
    // The settings file and the note are found beside the program through 260-byte paths: a
    // path that does not fit would put them somewhere else.
    if (!platform.ModulePathFits()) {
        platform.ShowOwnerlessMessage(
            platform.LoadAnsiString(IDS_PROGRAM_PATH_TOO_LONG, kStartupMessageCapacity),
            platform.LoadAnsiString(IDS_PROGRAM_NAME, kStartupMessageCapacity) +
                platform.LoadAnsiString(IDS_PROGRAM_VERSION_SUFFIX, kStartupMessageCapacity),
            MB_ICONHAND);
        return 1;
    }
    auto app = std::make_unique<AppState>(platform);
    auto cache = std::make_unique<KeyCache>();
    CopyBounded(app->programPath, launchDirectory_);
    AppendBounded(app->programPath, "velkaro.exe");

    // SetPermission answers whether some process has the hooks installed.
    if (SetPermission(1) == 1) {
        ShowStartupMessage(platform, *app, IDS_ALREADY_RUNNING);
        return 0;
    }
    SetPermission(0);  // no gestures while the program initialises

    std::optional<ui::ComApartment> com;
    com.emplace();
    ui::UniqueModule oleacc(LoadLibraryA("OLEACC.DLL"));
    ObjectFromLresultFn objectFromLresult = nullptr;
    if (!oleacc) {
        ShowStartupMessage(platform, *app, IDS_OLEACC_MISSING);
    } else {
        objectFromLresult = HtmlDocumentAccess::ObjectFromLresultOf(oleacc.get());
        if (objectFromLresult) {
            app->htmlAccessAvailable = 1;
        } else {
            ShowStartupMessage(platform, *app, IDS_OBJECT_FROM_LRESULT_MISSING);
            oleacc.reset();
        }
    }

    if (SetPermission(1) == 1) {  // another instance installed its hooks meanwhile
        ShowStartupMessage(platform, *app, IDS_ALREADY_RUNNING);
        return 0;
    }

    LayoutPictures pictures;
    pictures.other.reset(LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_LAYOUT_EN)));
    pictures.russian.reset(LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_LAYOUT_RU)));
    MessageBoxSink messages(instance_, app->programCaption);
    HtmlDocumentAccess htmlAccess(objectFromLresult);
    auto mainWindow = std::make_unique<CMainDlg>(instance_, *app, *cache, messages, htmlAccess,
                                                  pictures);
    mainWindow->RunModal(nullptr);

    // Shutdown in its fixed order: the accessibility library, COM, the main window (which
    // removes the tray icon), the state, the key cache (which wipes its slots).
    oleacc.reset();
    com.reset();
    mainWindow.reset();
    app.reset();
    cache.reset();
    return 0;
}

}  // namespace velkaro
