#include "main_dlg.h"

#include <windowsx.h>

#include "clipboard_text.h"
#include "data_exchange.h"
#include "edit_settings.h"
#include "edit_control_target.h"
#include "password_dlg.h"
#include "resource_ids.h"
#include "secure_wipe.h"
#include "string_ids.h"
#include "tray_menu.h"
#include "velhook_api.h"
#include "window_helpers.h"
#include "window_rules.h"

namespace velkaro {
namespace {

constexpr UINT kTrayIconId = IDI_APP;
constexpr uint32_t kStyleExitQuestion = MB_OKCANCEL | MB_ICONQUESTION | MB_SETFOREGROUND;

HICON LoadIconSized(HINSTANCE module, int id, int metricX, int metricY) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
}

ScreenPoint ToScreenPoint(POINT p) { return {p.x, p.y}; }

// The hooks watch this process too: a gesture on the password field itself must not turn the
// password into a block.
bool IsOwnWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

}  // namespace

CMainDlg::CMainDlg(HINSTANCE module, AppState& app, KeyCache& cache, MessageBoxSink& messages,
                   HtmlDocumentAccess& htmlAccess, const LayoutPictures& pictures)
    : ui::Dialog(module, IDD_MAIN),
      app_(app),
      cache_(cache),
      messages_(messages),
      htmlAccess_(htmlAccess),
      pictures_(pictures),
      cipher_(messages, app.currentKey, app.senderTag,
              reinterpret_cast<uint8_t*>(app.scratchBuffer)),
      chooser_(module),
      aboutBox_(module),
      editTransform_(app, request_, cipher_, messages),
      htmlTransform_(app, request_, cipher_, messages, codec_, chooser_),
      roads_(app, cache, request_, messages, *this),
      indicator_(pictures, app.layoutLangId),
      appIcon_(LoadIconSized(module, IDI_APP, SM_CXICON, SM_CYICON)),
      appIconSmall_(LoadIconSized(module, IDI_APP, SM_CXSMICON, SM_CYSMICON)),
      sleepIcon_(LoadIconSized(module, IDI_SLEEP, SM_CXSMICON, SM_CYSMICON)) {}

CMainDlg::~CMainDlg() { Destroy(); }

// ---------------------------------------------------------------------------------------------
// Initialisation and teardown

BOOL CMainDlg::OnInitDialog() {
    UpdateData(false);
    indicator_.Attach(Item(IDC_LAYOUT_INDICATOR), false);
    SetTimer(hwnd(), IDT_MAIN_LAYOUT, LAYOUT_TIMER_PERIOD_MS, nullptr);
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_.get()));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIconSmall_.get()));
    trayMenu_.reset(LoadMenuA(module(), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    trayPopup_ = trayMenu_ ? GetSubMenu(trayMenu_.get(), 0) : nullptr;
    taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
    AllowRequestMessages();
    trayIcon_.Setup(hwnd(), app_.programCaption.c_str(), kTrayIconId, appIconSmall_.get(), true);

    if (!SetHook(hwnd())) {
        messages_.ShowMessage(IDS_HOOK_INSTALL_FAILED, kStyleStop);
        PostQuitMessage(0);
        return TRUE;
    }
    messages_.SetOwner(hwnd());
    hooksSet_ = true;
    roads_.keepPasswordBox = app_.config.keepPassword;
    UpdateData(false);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PlaceWindow(hwnd(), app_.programCaption);
    // Hides the window right after the modal run has shown it.
    PostMessageA(hwnd(), WM_SIZE, SIZE_MINIMIZED, 0);
    return TRUE;
}

void CMainDlg::AllowRequestMessages() {
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    auto filter = reinterpret_cast<FilterFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    if (!filter) return;
    for (UINT message : {UINT(WM_SHELL_REQUEST), UINT(WM_TRAY_NOTIFY), taskbarCreatedMessage_}) {
        filter(hwnd(), message, kAllow, nullptr);
    }
}

void CMainDlg::OnDestroy() {
    KillTimer(hwnd(), IDT_MAIN_LAYOUT);
    clipboardViewer_.reset();
    request_.clipboardSource = 0;
    brush_.release();
    trayPopup_ = nullptr;
    trayMenu_.reset();
    if (hooksSet_) {
        if (!RemoveHook()) messages_.ShowMessage(IDS_HOOK_REMOVE_FAILED, kStyleStop);
        hooksSet_ = false;
    }
    messages_.SetOwner(nullptr);
    trayIcon_.Notify(NIM_DELETE);
}

void CMainDlg::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Text(IDC_PASSWORD, roads_.password, sizeof roads_.password);
    exchange.Check(IDC_KEEP_PASSWORD, roads_.keepPasswordBox);
}

// ---------------------------------------------------------------------------------------------
// The password window

void CMainDlg::OnOK() {
    if (roads_.Busy()) return;  // a message box of this request is still open
    UpdateData(true);
    ui::WipeControlText(Item(IDC_PASSWORD));
    roads_.ConfirmPassword();
}

void CMainDlg::OnCancel() {
    ui::WipeControlText(Item(IDC_PASSWORD));
    UpdateData(false);
    app_.config.keepPassword = roads_.keepPasswordBox;
    ShowWindow(hwnd(), SW_HIDE);
}

bool CMainDlg::OnCommand(UINT id, UINT code, HWND) {
    if (id == IDC_KEEP_PASSWORD) {
        if (code != BN_CLICKED) return false;
        roads_.keepPasswordBox = !roads_.keepPasswordBox;
        // Rewriting the controls from the fields also empties a password typed so far.
        ui::WipeControlText(Item(IDC_PASSWORD));
        UpdateData(false);
        return true;
    }
    static constexpr UINT kTrayCommands[] = {ID_ERASE_PASSWORD, ID_CLEAR_CLIPBOARD,
                                              ID_VIEW_CLIPBOARD, ID_SETTINGS, ID_HELP, ID_ABOUT,
                                              ID_CLOSE_MENU, ID_SLEEP_MODE, ID_EXIT};
    for (UINT command : kTrayCommands) {
        if (id == command) {
            OnMenuCommand(id);
            return true;
        }
    }
    return false;
}

HBRUSH CMainDlg::OnControlColour(HDC dc, HWND, UINT) { return brush_.Paint(dc); }

bool CMainDlg::ShowWithPasswordFocus() {
    ShowWindow(hwnd(), SW_SHOW);
    ShowWindow(hwnd(), SW_RESTORE);
    UpdateData(false);
    SetForegroundWindow(hwnd());
    HWND field = Item(IDC_PASSWORD);
    SetFocus(field);
    // Keys typed now must reach this field and nothing else: without the foreground (which
    // the system may refuse a background process) the password would go into the target.
    if (GetForegroundWindow() != hwnd() || GetFocus() != field) {
        ShowWindow(hwnd(), SW_HIDE);
        return false;
    }
    return true;
}

bool CMainDlg::ShowPasswordWindow() { return ShowWithPasswordFocus(); }

void CMainDlg::HidePasswordWindow() {
    ui::WipeControlText(Item(IDC_PASSWORD));
    ShowWindow(hwnd(), SW_HIDE);
}

void CMainDlg::RefreshPasswordWindow() { UpdateData(false); }

bool CMainDlg::ClipboardViewerOpen() {
    DropClosedViewer();
    return clipboardViewer_ != nullptr;
}

bool CMainDlg::AskPasswordModal(char* password, size_t capacity) {
    CPasswordDlg dialog(module(), app_, pictures_, roads_.keepPasswordBox);
    // The viewer is the owner, so it stays disabled while the question is open: it cannot be
    // closed under the road that its own command started.
    HWND owner = clipboardViewer_ ? clipboardViewer_->hwnd() : nullptr;
    if (dialog.RunModal(owner) != 1) {
        if (clipboardViewer_) clipboardViewer_->MarkCancelled();
        return false;
    }
    lstrcpynA(password, dialog.password(), int(capacity));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Targets and transforms

ProbeResult CMainDlg::Transform(HWND window, bool html, TransformMode mode) {
    if (request_.clipboardSource) {
        // The viewer's text is in textBuffer already; the result goes into its edit.
        if (mode == TransformMode::Probe || !window || !IsWindow(window)) {
            return editTransform_.TransformEditText(nullptr, mode);
        }
        EditControlTarget viewerEdit(window);
        return editTransform_.TransformEditText(&viewerEdit, mode);
    }
    if (!IsWindow(window)) {
        messages_.ShowMessage(IDS_TARGET_GONE, kStyleInformation);
        return ProbeResult::NothingToDo;
    }
    if (html) {
        BrowserWindow browser(window, htmlAccess_);
        return htmlTransform_.TransformHtmlDocument(&browser, mode);
    }
    EditControlTarget target(window);
    const ProbeResult result = editTransform_.TransformEditText(&target, mode);
    if (!target.Responded()) {
        messages_.ShowMessage(IsWindow(window) ? IDS_TARGET_NOT_RESPONDING : IDS_TARGET_GONE,
                              kStyleInformation);
        return ProbeResult::NothingToDo;
    }
    return result;
}

void CMainDlg::RunTransform(TransformMode mode) { Transform(targetWindow_, htmlTarget_ != 0, mode); }

bool CMainDlg::FindTargetUnderCursor() {
    if (!app_.trayRequest) return false;
    POINT cursor = {};
    GetCursorPos(&cursor);
    HidePasswordWindow();
    HWND window = WindowFromPoint(cursor);
    if (!window || IsOwnWindow(window)) return false;
    RECT client = {};
    GetClientRect(window, &client);
    char className[25] = {};
    GetClassNameA(window, className, sizeof className);
    if (client.bottom < 30 || client.right < 100) return false;
    targetWindow_ = window;
    const TrayTargetKind kind = ClassifyTrayTarget(className, client.right, client.bottom);
    if (kind == TrayTargetKind::None) return false;
    htmlTarget_ = kind == TrayTargetKind::Browser;
    // A tray-started request never asks for the hidden form: no modifier key was watched.
    app_.stegoRequested = 0;
    roads_.probeResult = Transform(window, htmlTarget_ != 0, TransformMode::Probe);
    return roads_.probeResult == ProbeResult::BlockFound ||
           roads_.probeResult == ProbeResult::PlainText;
}

// ---------------------------------------------------------------------------------------------
// Requests

void CMainDlg::OnShellRequest(HWND target, RequestKind kind) {
    // Inside a request (a message box or dialog of it runs a nested loop) nothing may change
    // its state; the user repeats the gesture afterwards.
    if (roads_.Busy()) return;
    if (!target || !IsWindow(target)) return;
    app_.trayRequest = 0;

    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT own = {};
    GetWindowRect(hwnd(), &own);
    RECT client = {};
    GetClientRect(target, &client);
    POINT origin = {0, 0};
    ClientToScreen(target, &origin);
    const bool nearEdge =
        IsNearEdge(ToScreenPoint(cursor), ToScreenPoint(origin), client.right, client.bottom);
    const ScreenPoint place = CentreOver(ToScreenPoint(origin), client.right, client.bottom,
                                         own.right - own.left, own.bottom - own.top);
    MoveWindow(hwnd(), place.x, place.y, own.right - own.left, own.bottom - own.top, TRUE);

    GetCursorPos(&cursor);
    switch (kind) {
    case RequestKind::TrayMenu:
        roads_.probeResult = ProbeResult::NoRequest;
        OpenTrayMenu(cursor);
        return;
    case RequestKind::BrowserTarget:
    case RequestKind::EditTarget: {
        if (ClipboardViewerOpen() || nearEdge || IsOwnWindow(target)) return;
        const bool html = kind == RequestKind::BrowserTarget;
        {
            RequestRoads::BusyScope busy(roads_);
            if (html) {
                app_.stegoRequested =
                    (GetAsyncKeyState(app_.config.stegoModifierKey) & 0x8000) ? 1 : 0;
            }
            roads_.probeResult = Transform(target, html, TransformMode::Probe);
        }
        if (roads_.probeResult == ProbeResult::NothingToDo) return;
        htmlTarget_ = html;
        break;
    }
    case RequestKind::ViewerClosed:
        CloseClipboardViewer();
        return;
    default:
        return;
    }
    targetWindow_ = target;
    if (roads_.probeResult == ProbeResult::PlainText) roads_.EncryptRequest();
    if (roads_.probeResult == ProbeResult::BlockFound) roads_.DecryptRequest();
}

// ---------------------------------------------------------------------------------------------
// Tray icon and menu

void CMainDlg::OnTrayNotify(UINT identifier, UINT mouseMessage) {
    if (identifier != kTrayIconId || roads_.Busy()) return;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        if (ClipboardViewerOpen()) return;
        app_.trayRequest = 1;
        PlaceWindow(hwnd(), app_.programCaption);
        ShowWithPasswordFocus();
        return;
    case WM_LBUTTONDBLCLK:
        if (ClipboardViewerOpen()) return;
        if (!IsIconic(hwnd())) HidePasswordWindow();
        return;
    case WM_RBUTTONDOWN:
        PostMessageA(hwnd(), WM_SHELL_REQUEST, reinterpret_cast<WPARAM>(hwnd()),
                     LPARAM(RequestKind::TrayMenu));
        return;
    default:
        return;
    }
}

void CMainDlg::OpenTrayMenu(POINT at) {
    if (!trayPopup_) return;
    PrepareTrayMenu(trayPopup_, app_.sleepMode != 0,
                    !ClipboardViewerOpen() && ClipboardHasText());
    // A popup menu of a window that is not in the foreground would not close when the user
    // clicks elsewhere. Afterwards the foreground goes back where it was: the hidden window
    // keeps nothing a user could type into.
    HWND previous = GetForegroundWindow();
    SetForegroundWindow(hwnd());
    TrackPopupMenu(trayPopup_, 0, at.x, at.y, 0, hwnd(), nullptr);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
    if (!IsWindowVisible(hwnd()) && previous && previous != hwnd() && IsWindow(previous)) {
        SetForegroundWindow(previous);
    }
}

void CMainDlg::OnMenuCommand(UINT id) {
    switch (id) {
    case ID_ERASE_PASSWORD:
        ui::WipeControlText(Item(IDC_PASSWORD));
        roads_.ErasePassword();
        return;
    case ID_CLEAR_CLIPBOARD:
        if (!EmptyClipboardText()) {
            messages_.ShowMessage(IDS_CLIPBOARD_BUSY, kStyleInformation);
            return;
        }
        SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
        return;
    case ID_HELP:
        OpenHelp();
        return;
    case ID_SLEEP_MODE:
        ToggleSleepMode();
        return;
    case ID_EXIT:
        if (messages_.ShowMessage(IDS_CONFIRM_EXIT, kStyleExitQuestion) == IDCANCEL) return;
        SetPermission(0);
        PostQuitMessage(0);
        return;
    case ID_VIEW_CLIPBOARD:
        OpenClipboardViewer();
        return;
    case ID_SETTINGS:
        EditSettings(module(), hwnd(), app_, messages_);
        // The password window's box shows the setting just accepted.
        roads_.keepPasswordBox = app_.config.keepPassword;
        UpdateData(false);
        return;
    case ID_ABOUT:
        aboutBox_.RunModal(hwnd());
        return;
    case ID_CLOSE_MENU:
    default:
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// The clipboard viewer

void CMainDlg::OpenClipboardViewer() {
    if (ClipboardViewerOpen()) return;
    htmlTarget_ = 0;
    request_.clipboardSource = 1;
    roads_.probeResult = ProbeResult::NothingToDo;
    app_.clipboardState = int32_t(ProbeResult::NothingToDo);
    SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
    // A clipboard without text, or with more than the buffer holds, opens an empty viewer.
    if (ReadClipboardText(app_.textBuffer)) {
        RequestRoads::BusyScope busy(roads_);
        roads_.probeResult = editTransform_.TransformEditText(nullptr, TransformMode::Probe);
        app_.clipboardState = int32_t(roads_.probeResult);
    }
    clipboardViewer_ = std::make_unique<CClipboardDlg>(module(), app_, roads_, messages_, hwnd());
    if (!clipboardViewer_->CreateModeless(nullptr)) {
        clipboardViewer_.reset();
        CloseClipboardViewer();
        return;
    }
    targetWindow_ = clipboardViewer_->TextEdit();
    ShowWindow(clipboardViewer_->hwnd(), SW_SHOW);
    SetForegroundWindow(clipboardViewer_->hwnd());
}

void CMainDlg::CloseClipboardViewer() {
    if (clipboardViewer_ && roads_.Busy()) {
        ShowWindow(clipboardViewer_->hwnd(), SW_HIDE);
        return;
    }
    clipboardViewer_.reset();
    roads_.probeResult = ProbeResult::NoRequest;
    request_.clipboardSource = 0;
    targetWindow_ = nullptr;
}

void CMainDlg::DropClosedViewer() {
    if (clipboardViewer_ && clipboardViewer_->closed()) CloseClipboardViewer();
}

void CMainDlg::OpenHelp() {
    if (!ShowHelp(hwnd(), app_.helpPath)) {
        messages_.ShowMessage(IDS_HELP_MISSING, kStyleInformation);
    }
}

void CMainDlg::ToggleSleepMode() {
    // The permission takes the value before the change: entering sleep mode turns the
    // gestures off, leaving it turns them on.
    SetPermission(app_.sleepMode);
    app_.sleepMode = !app_.sleepMode;
    trayIcon_.SetIcon(app_.sleepMode ? sleepIcon_.get() : appIconSmall_.get());
}

// ---------------------------------------------------------------------------------------------
// Everything else

bool CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == taskbarCreatedMessage_ && message != 0) {
        trayIcon_.Readd();
        return true;
    }
    switch (message) {
    case WM_SHELL_REQUEST:
        OnShellRequest(reinterpret_cast<HWND>(wParam), RequestKind(uint32_t(lParam)));
        return true;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(UINT(wParam), UINT(lParam));
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) return false;
        HidePasswordWindow();
        trayIcon_.Notify(NIM_ADD);
        return true;
    case WM_TIMER:
        indicator_.Tick();
        return true;
    case WM_LBUTTONDOWN:
        if (indicator_.Click(hwnd(), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            SetFocus(Item(IDC_PASSWORD));
        }
        return false;
    case WM_SHOWWINDOW:
        roads_.keepPasswordBox = app_.config.keepPassword;
        UpdateData(false);
        return false;
    case WM_HELP:
        OpenHelp();
        result = TRUE;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(appIcon_.get());
        return true;
    case WM_PAINT:
        if (!IsIconic(hwnd())) return false;
        {
            ui::PaintDc paint(hwnd());
            RECT r = {};
            GetClientRect(hwnd(), &r);
            DrawIcon(paint.get(), (r.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                     (r.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, appIcon_.get());
        }
        return true;
    default:
        return false;
    }
}

}  // namespace velkaro
