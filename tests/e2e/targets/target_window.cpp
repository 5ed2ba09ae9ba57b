#include "target_window.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <vector>

#include "json_writer.h"

namespace velkaro::e2e {

namespace {

constexpr const wchar_t* kClassName = L"VelkaroTestTarget";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 50;
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTrayId = 1;
constexpr UINT_PTR kSubclassId = 1;
constexpr int kMargin = 8;
constexpr UINT kShowMessageBox = WM_APP + 2;  // posted: the box must not run inside a sent message

uint64_t HandleValue(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

RECT ClientRectOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

void WriteRect(JsonWriter& json, const RECT& r) { json.Rect(r.left, r.top, r.right, r.bottom); }

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ui::UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    return bytes.empty() || (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

void Complain(const wchar_t* what) {
    OutputDebugStringW(L"edit_target: ");
    OutputDebugStringW(what);
    OutputDebugStringW(L"\n");
}

}  // namespace

TargetWindow::TargetWindow(const TargetOptions& options)
    : options_(options), textReport_(options.reportFile), stateReport_(options.stateFile) {}

TargetWindow::~TargetWindow() {
    RemoveTrayIcon();
    if (edit_) RemoveWindowSubclass(edit_, EditProc, kSubclassId);
    if (main_) DestroyWindow(main_);
}

bool TargetWindow::Create(HINSTANCE instance) {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = MainProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kClassName;
    if (!RegisterClassExW(&cls)) {
        Complain(L"RegisterClassExW failed");
        return false;
    }
    main_ = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, options_.x, options_.y, 200, 200, nullptr,
                            nullptr, instance, this);
    if (!main_) {
        Complain(L"CreateWindowExW of the main window failed");
        return false;
    }
    if (!CreateEdit()) return false;
    SizeToClient();
    LoadInitialText();
    if (options_.trayIcon) AddTrayIcon();
    ShowWindow(main_, SW_SHOWNORMAL);
    UpdateWindow(main_);
    SetForegroundWindow(main_);
    SetFocus(edit_);
    if (options_.dialog && !CreateDialogWindow()) return false;
    ReportText(true);
    ReportState();
    SetTimer(main_, kTickTimer, kTickMs, nullptr);
    return true;
}

bool TargetWindow::CreateEdit() {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT;
    style |= options_.singleLine ? ES_AUTOHSCROLL : (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL);
    if (options_.richEdit) {
        richEditLibrary_.reset(LoadLibraryW(L"riched20.dll"));
        if (!richEditLibrary_) {
            Complain(L"riched20.dll could not be loaded");
            return false;
        }
    }
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(main_, GWLP_HINSTANCE));
    // Created through the ANSI entry point, as a mail program of the time would: the control's
    // text is then the ANSI code page's bytes for WM_GETTEXT / WM_SETTEXT sent as ANSI.
    edit_ = CreateWindowExA(0, options_.richEdit ? "RichEdit20A" : "Edit", "", style, kMargin, kMargin,
                            options_.clientWidth, options_.clientHeight, main_, reinterpret_cast<HMENU>(1000),
                            instance, nullptr);
    if (!edit_) {
        Complain(L"CreateWindowExA of the edit control failed");
        return false;
    }
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    {
        ui::WindowDc dc(edit_);
        ui::SelectedObject selected(dc.get(), font);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc.get(), &metrics);
        lineHeight_ = metrics.tmHeight;
    }
    if (options_.richEdit) {
        SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        SendMessageW(edit_, EM_SETEVENTMASK, 0, ENM_CHANGE);
    } else {
        SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);  // 0: the largest limit the control has
    }
    SetWindowSubclass(edit_, EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

// The size asked for is the control's client area (what the hook measures); the border and the
// scroll bar come on top of it, and the window is made large enough for the control.
void TargetWindow::SizeToClient() {
    RECT outer = {}, inner = {};
    GetWindowRect(edit_, &outer);
    GetClientRect(edit_, &inner);
    int extraWidth = (outer.right - outer.left) - inner.right;
    int extraHeight = (outer.bottom - outer.top) - inner.bottom;
    int width = options_.clientWidth + extraWidth;
    int height = options_.clientHeight + extraHeight;
    SetWindowPos(edit_, nullptr, kMargin, kMargin, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    RECT frame = {0, 0, width + 2 * kMargin, height + 2 * kMargin};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(main_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(main_, GWL_EXSTYLE)));
    SetWindowPos(main_, nullptr, options_.x, options_.y, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TargetWindow::LoadInitialText() {
    if (options_.textFile.empty()) return;
    std::string bytes;
    if (!ReadWholeFile(options_.textFile, bytes)) {
        Complain(L"the text file could not be read");
        return;
    }
    ownAccess_ = true;
    SetWindowTextA(edit_, bytes.c_str());
    ownAccess_ = false;
}

std::string TargetWindow::ReadText() const {
    ownAccess_ = true;
    int length = GetWindowTextLengthA(edit_);
    ownAccess_ = false;
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    ownAccess_ = true;
    int copied = GetWindowTextA(edit_, buffer.data(), length + 1);
    ownAccess_ = false;
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void TargetWindow::ReportText(bool always) {
    std::string text = ReadText();
    if (!always && text == lastText_) return;
    // The text first, then the state that counts it: a reader that sees text_reports = n in the
    // state finds report n (or a later one) in the text file.
    textReport_.Write(text);
    lastText_ = std::move(text);
    ++textReports_;
}

void TargetWindow::ReportState() {
    if (!stateReport_.enabled()) return;
    DWORD start = 0, end = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    RECT window = {};
    GetWindowRect(main_, &window);

    JsonWriter json;
    json.BeginObject();
    json.Key("seq").UInt(++stateSequence_);
    json.Key("pid").UInt(GetCurrentProcessId());
    json.Key("main").UInt(HandleValue(main_));
    json.Key("edit").UInt(HandleValue(edit_));
    json.Key("class").String(options_.richEdit ? "RichEdit20A" : "Edit");
    json.Key("multiline").Bool(!options_.singleLine);
    json.Key("client");
    RECT client = ClientRectOnScreen(edit_);
    WriteRect(json, client);
    // Where the first line of text starts: the formatting rectangle, on the screen.
    RECT format = {};
    SendMessageW(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    OffsetRect(&format, client.left, client.top);
    json.Key("format_rect");
    WriteRect(json, format);
    json.Key("line_height").Int(lineHeight_);
    json.Key("window");
    WriteRect(json, window);
    json.Key("focus").Bool(GetFocus() == edit_);
    json.Key("foreground").Bool(GetForegroundWindow() == main_);
    json.Key("sel").BeginArray().UInt(start).UInt(end).EndArray();
    json.Key("text_length").UInt(lastText_.size());
    json.Key("text_reports").UInt(textReports_);
    json.Key("counters").BeginObject();
    for (const auto& [name, count] : counters_) json.Key(name.c_str()).UInt(count);
    json.EndObject();
    json.Key("tray").BeginObject();
    json.Key("added").Bool(trayAdded_);
    json.Key("last_command").UInt(lastCommand_);
    json.EndObject();
    json.Key("message_box_result").Int(messageBoxResult_);
    json.Key("dialog").BeginObject();
    json.Key("hwnd").UInt(HandleValue(dialog_));
    json.Key("visible").Bool(dialog_ && IsWindowVisible(dialog_));
    json.Key("password").String(dialogPassword_);
    json.Key("keep").Bool(dialogKeep_);
    json.EndObject();
    json.EndObject();
    stateReport_.Write(json.text());
}

// ---- Tray icon

void TargetWindow::AddTrayIcon() {
    trayMenu_.reset(CreatePopupMenu());
    AppendMenuW(trayMenu_.get(), MF_STRING, kFirstCommand, L"Первый пункт");
    AppendMenuW(trayMenu_.get(), MF_STRING | MF_CHECKED, kCheckedCommand, L"Отмеченный пункт");
    AppendMenuW(trayMenu_.get(), MF_STRING | MF_GRAYED, kGrayedCommand, L"Недоступный пункт");
    AppendMenuW(trayMenu_.get(), MF_STRING, kMessageCommand, L"Сообщение");
    AppendMenuW(trayMenu_.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(trayMenu_.get(), MF_STRING, kCloseCommand, L"Закрыть меню");

    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = main_;
    data.uID = kTrayId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION));  // shared: never destroyed
    lstrcpynW(data.szTip, kTitle, ARRAYSIZE(data.szTip));
    trayAdded_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (!trayAdded_) Complain(L"Shell_NotifyIconW (NIM_ADD) failed");
}

void TargetWindow::RemoveTrayIcon() {
    if (!trayAdded_) return;
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = main_;
    data.uID = kTrayId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    trayAdded_ = false;
}

void TargetWindow::OnTrayNotify(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN: Count("tray_lbuttondown"); break;
        case WM_LBUTTONDBLCLK: Count("tray_lbuttondblclk"); break;
        case WM_RBUTTONDOWN:
            Count("tray_rbuttondown");
            ReportState();
            ShowTrayMenu();
            break;
        default: return;
    }
    ReportState();
}

void TargetWindow::ShowTrayMenu() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    // The owner must be in the foreground, or the menu does not close when the user clicks
    // elsewhere; the posted message lets the menu loop end cleanly.
    SetForegroundWindow(main_);
    TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, main_, nullptr);
    PostMessageW(main_, WM_NULL, 0, 0);
}

// ---- Dialog: a password window like the tray program's, made of a window of the dialog class
// ("#32770") and its controls, so that the observer sees what it sees of a real one.

bool TargetWindow::CreateDialogWindow() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(main_, GWLP_HINSTANCE));
    RECT frame = {0, 0, 260, 96};
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    dialog_ = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", kDialogTitle, style, x, y, width, height, main_, nullptr,
                              instance, nullptr);
    if (!dialog_) {
        Complain(L"CreateWindowExW of the dialog failed");
        return false;
    }
    SetWindowLongPtrW(dialog_, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(dialog_, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(DialogProc));
    struct Control {
        const wchar_t* cls;
        const wchar_t* text;
        DWORD style;
        int id, x, y, w, h;
    };
    const Control controls[] = {
        {L"Static", L"Пароль:", SS_LEFT, -1, 10, 14, 60, 16},
        {L"Edit", L"", WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, kPasswordId, 80, 10, 170, 22},
        {L"Button", L"", WS_TABSTOP | BS_AUTOCHECKBOX, kKeepId, 80, 40, 16, 16},
        {L"Button", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 90, 64, 75, 24},
        {L"Button", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 175, 64, 75, 24},
    };
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (const Control& c : controls) {
        HWND control = CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.w, c.h, dialog_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (!control) {
            Complain(L"a control of the dialog could not be made");
            return false;
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    CheckDlgButton(dialog_, kKeepId, BST_CHECKED);
    ShowWindow(dialog_, SW_SHOW);
    SetForegroundWindow(dialog_);
    SetFocus(GetDlgItem(dialog_, kPasswordId));
    return true;
}

INT_PTR CALLBACK TargetWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                self->OnDialogCommand(LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            self->OnDialogCommand(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// OK and Cancel hide the dialog, as the tray program's password window does.
void TargetWindow::OnDialogCommand(int id) {
    if (id == IDOK) {
        char password[64] = {};
        GetDlgItemTextA(dialog_, kPasswordId, password, sizeof password);
        dialogPassword_ = password;
        dialogKeep_ = IsDlgButtonChecked(dialog_, kKeepId) == BST_CHECKED;
        Count("dialog_ok");
    } else {
        Count("dialog_cancel");
    }
    ShowWindow(dialog_, SW_HIDE);
    ReportState();
}

// ---- Window procedures

LRESULT CALLBACK TargetWindow::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (!self->main_) self->main_ = window;
    return self->HandleMain(message, wParam, lParam);
}

LRESULT TargetWindow::HandleMain(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTickTimer) {
                // Catches any change no notification announced (WM_SETTEXT on a multi-line edit
                // sends no EN_CHANGE).
                ReportText(false);
                ReportState();
            }
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == edit_ && edit_) {
                if (HIWORD(wParam) == EN_CHANGE) {
                    ReportText(false);
                    ReportState();
                }
            } else if (lParam == 0 && HIWORD(wParam) == 0) {
                lastCommand_ = LOWORD(wParam);
                Count("menu_command");
                ReportState();
                if (lastCommand_ == kMessageCommand) PostMessageW(main_, kShowMessageBox, 0, 0);
            }
            return 0;
        case kShowMessageBox:
            messageBoxResult_ = MessageBoxW(main_, L"Проверка связи", kTitle, MB_OKCANCEL | MB_ICONINFORMATION);
            ReportState();
            return 0;
        case WM_SETFOCUS:
            if (edit_) SetFocus(edit_);
            return 0;
        case kTrayMessage:
            if (wParam == kTrayId) OnTrayNotify(static_cast<UINT>(lParam));
            return 0;
        case WM_CLOSE:
            DestroyWindow(main_);
            return 0;
        case WM_DESTROY:
            KillTimer(main_, kTickTimer);
            RemoveTrayIcon();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            main_ = nullptr;
            edit_ = nullptr;
            dialog_ = nullptr;  // an owned window goes with its owner
            break;
        default:
            break;
    }
    return DefWindowProcW(main_, message, wParam, lParam);
}

LRESULT CALLBACK TargetWindow::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    (void)window;
    return reinterpret_cast<TargetWindow*>(self)->HandleEdit(message, wParam, lParam);
}

// Counts the input that reaches the control: a gesture the hook swallows must not show up here.
LRESULT TargetWindow::HandleEdit(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND edit = edit_;
    switch (message) {
        case WM_LBUTTONDOWN: Count("lbuttondown"); break;
        case WM_LBUTTONDBLCLK: Count("lbuttondblclk"); break;
        case WM_RBUTTONDOWN: Count("rbuttondown"); break;
        case WM_RBUTTONUP: Count("rbuttonup"); break;
        case WM_CONTEXTMENU: Count("contextmenu"); break;
        case WM_CHAR: Count("char"); break;
        case WM_SETFOCUS: Count("setfocus"); break;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F10) Count("f10_down");
            break;
        case WM_SYSKEYUP:
            if (wParam == VK_F10) Count("f10_up");
            break;
        case WM_GETTEXT:
            if (!ownAccess_) Count("foreign_gettext");
            break;
        case WM_SETTEXT: {
            if (!ownAccess_) Count("foreign_settext");
            LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            ReportText(false);
            ReportState();
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, EditProc, kSubclassId);
            edit_ = nullptr;
            return DefSubclassProc(edit, message, wParam, lParam);
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace velkaro::e2e
