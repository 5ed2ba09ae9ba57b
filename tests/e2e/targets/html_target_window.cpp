#include "html_target_window.h"

#include <commctrl.h>

#include <string>

#include "json_writer.h"

namespace velkaro::e2e {

namespace {

constexpr const wchar_t* kClassName = L"VelkaroHtmlTarget";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 50;
constexpr UINT_PTR kSubclassId = 1;

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

// The page's texts are UTF-16 in char16_t, which is wchar_t's representation on Windows.
JsonWriter& WriteText(JsonWriter& json, const std::u16string& text) {
    return json.String(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

void Complain(const wchar_t* what) {
    OutputDebugStringW(L"html_target: ");
    OutputDebugStringW(what);
    OutputDebugStringW(L"\n");
}

}  // namespace

HtmlTargetWindow::HtmlTargetWindow(const FakeHtmlPage& page, const HtmlTargetOptions& options)
    : options_(options), page_(page), stateReport_(options.stateFile) {}

HtmlTargetWindow::~HtmlTargetWindow() {
    if (main_) KillTimer(main_, kTickTimer);
    if (server_ && subclassed_) RemoveWindowSubclass(server_->hwnd(), ServerProc, kSubclassId);
    server_.reset();
    if (main_) DestroyWindow(main_);
}

bool HtmlTargetWindow::Create(HINSTANCE instance) {
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
    main_ = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, options_.x,
                            options_.y, 200, 200, nullptr, nullptr, instance, this);
    if (!main_) {
        Complain(L"CreateWindowExW of the main window failed");
        return false;
    }
    // The control takes the frame's client area when it is made, so the frame gets its size first.
    SizeFrameToClient();

    FakeComOptions comOptions;
    comOptions.changed = [this] { OnPageWritten(); };
    server_ = std::make_unique<HtmlServerWindow>(page_, main_, comOptions);
    if (!server_->ok()) {
        Complain(L"the browser control's window could not be made");
        return false;
    }
    HWND server = server_->hwnd();
    subclassed_ = SetWindowSubclass(server, ServerProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    if (!subclassed_) {
        Complain(L"SetWindowSubclass of the control failed");
        return false;
    }

    ShowWindow(main_, SW_SHOWNORMAL);
    UpdateWindow(main_);
    SetForegroundWindow(main_);
    SetFocus(server);
    ReportState();
    SetTimer(main_, kTickTimer, kTickMs, nullptr);
    return true;
}

void HtmlTargetWindow::SizeFrameToClient() {
    RECT frame = {0, 0, options_.clientWidth, options_.clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(main_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(main_, GWL_EXSTYLE)));
    SetWindowPos(main_, nullptr, options_.x, options_.y, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Called inside the COM call that wrote the page: the test sees the write at once, with the
// seq of a new state.
void HtmlTargetWindow::OnPageWritten() {
    ++pageWrites_;
    ReportState();
}

void HtmlTargetWindow::ReportState() {
    if (!stateReport_.enabled() || !main_ || !server_) return;
    HWND server = server_->hwnd();
    RECT window = {};
    GetWindowRect(main_, &window);

    JsonWriter json;
    json.BeginObject();
    json.Key("seq").UInt(++stateSequence_);
    json.Key("pid").UInt(GetCurrentProcessId());
    json.Key("main").UInt(HandleValue(main_));
    json.Key("server").UInt(HandleValue(server));
    json.Key("client");
    WriteRect(json, ClientRectOnScreen(server));
    json.Key("window");
    WriteRect(json, window);
    json.Key("focus").Bool(GetFocus() == server);
    json.Key("foreground").Bool(GetForegroundWindow() == main_);

    json.Key("page").BeginObject();
    json.Key("url");
    WriteText(json, page_.url);
    json.Key("design_mode");
    WriteText(json, page_.designMode);
    json.Key("tag");
    WriteText(json, page_.tag);
    json.Key("inner_html");
    WriteText(json, page_.innerHtml);
    json.Key("inner_text");
    WriteText(json, page_.innerText);
    json.Key("puts").BeginArray();
    for (const FakeHtmlPage::Put& put : page_.puts) {
        json.BeginObject();
        json.Key("kind").String(put.kind == FakeHtmlPage::PutKind::InnerHtml ? "innerHTML" : "innerText");
        json.Key("text");
        WriteText(json, put.text);
        json.EndObject();
    }
    json.EndArray();
    json.Key("bg_colours").BeginArray();
    for (const std::u16string& colour : page_.bgColours) WriteText(json, colour);
    json.EndArray();
    json.Key("window_events").BeginArray();
    for (const std::string& event : page_.windowEvents) json.String(event);
    json.EndArray();
    json.Key("live_objects").Int(page_.liveObjects);
    json.Key("documents_obtained").Int(page_.documentsObtained);
    json.EndObject();

    json.Key("page_writes").UInt(pageWrites_);
    json.Key("counters").BeginObject();
    for (const auto& [name, count] : counters_) json.Key(name.c_str()).UInt(count);
    json.EndObject();
    json.EndObject();
    stateReport_.Write(json.text());
}

// ---- Window procedures

LRESULT CALLBACK HtmlTargetWindow::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HtmlTargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (!self->main_) self->main_ = window;
    return self->HandleMain(message, wParam, lParam);
}

LRESULT HtmlTargetWindow::HandleMain(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTickTimer) ReportState();
            return 0;
        case WM_SETFOCUS:
            if (server_) SetFocus(server_->hwnd());
            return 0;
        case WM_CLOSE:
            DestroyWindow(main_);
            return 0;
        case WM_DESTROY:
            KillTimer(main_, kTickTimer);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND window = main_;
            main_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(main_, message, wParam, lParam);
}

LRESULT CALLBACK HtmlTargetWindow::ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    return reinterpret_cast<HtmlTargetWindow*>(self)->HandleServer(window, message, wParam, lParam);
}

// Counts the input that reaches the control: a gesture the hook swallows must not show up here.
LRESULT HtmlTargetWindow::HandleServer(HWND server, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: Count("lbuttondown"); break;
        case WM_LBUTTONUP: Count("lbuttonup"); break;
        case WM_LBUTTONDBLCLK: Count("lbuttondblclk"); break;
        case WM_SETFOCUS: Count("setfocus"); break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(server, ServerProc, kSubclassId);
            subclassed_ = false;
            break;
        default:
            break;
    }
    return DefSubclassProc(server, message, wParam, lParam);
}

}  // namespace velkaro::e2e
