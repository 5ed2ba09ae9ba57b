#include "html_server_window.h"

#include <oleacc.h>

#include <string>
#include <utility>

#include "fake_html_document_com.h"
#include "fake_html_page_wire.h"

namespace velkaro {
namespace {

ATOM RegisterServerClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    // The browser control takes double clicks, which is how the hooks see a gesture on it.
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window at WM_NCCREATE
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = HtmlServerWindow::kClassName;
    return RegisterClassExW(&windowClass);
}

COLORREF ColourOf(const FakeHtmlPage& page) {
    if (!page.bgColours.empty() && page.bgColours.back() == u"cornsilk") return RGB(255, 248, 220);
    return RGB(255, 255, 255);
}

}  // namespace

UINT HtmlServerWindow::GetObjectMessage() {
    static const UINT message = RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    return message;
}

HtmlServerWindow::HtmlServerWindow(FakeHtmlPage& page, HWND parent, FakeComOptions options)
    : page_(page), options_(std::move(options)) {
    static const ATOM registered = RegisterServerClass();
    if (registered == 0) return;
    // Every write to the page repaints the window, then tells whoever asked.
    // A document may outlive the window (a client still holds it), so the repaint goes
    // through a handle that the destructor clears.
    std::function<void()> alsoChanged = std::move(options_.changed);
    options_.changed = [target = repaintTarget_, alsoChanged] {
        if (*target != nullptr) InvalidateRect(*target, nullptr, TRUE);
        if (alsoChanged) alsoChanged();
    };
    RECT area = {0, 0, 400, 300};
    if (parent != nullptr) GetClientRect(parent, &area);
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
    HWND window = CreateWindowExW(0, kClassName, L"", style, 0, 0, area.right - area.left,
                                  area.bottom - area.top, parent, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    window_.reset(window);
    *repaintTarget_ = window;
}

HtmlServerWindow::~HtmlServerWindow() {
    *repaintTarget_ = nullptr;
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK HtmlServerWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<HtmlServerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT HtmlServerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.get();
    if (message == GetObjectMessage() && message != 0) return HandOutDocument(wParam);
    switch (message) {
        case WM_LBUTTONDOWN:
            buttonDown_ = wParam == 0 && lParam == 0;
            return 0;
        case WM_LBUTTONUP:
            if (buttonDown_ && wParam == 0 && lParam == 0) page_.windowEvents.push_back("click");
            buttonDown_ = false;
            return 0;
        case WM_SETFOCUS:
            if (wParam == 0) page_.windowEvents.push_back("setfocus");
            return 0;
        case WM_COPYDATA:
            return AnswerCopyData(reinterpret_cast<HWND>(wParam),
                                  *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_PAINT:
            Paint();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT HtmlServerWindow::HandOutDocument(WPARAM wParam) {
    if (!page_.hasDocument) return 0;
    ui::ComPtr<IHTMLDocument2> document = MakeFakeHtmlDocument(page_, options_);
    // The answer carries a marshalled reference of its own; ours goes with `document`.
    const LRESULT answer = LresultFromObject(IID_IHTMLDocument2, wParam, document.get());
    if (answer <= 0) return 0;  // a failure comes back as a negative HRESULT
    ++page_.documentsObtained;
    return answer;
}

LRESULT HtmlServerWindow::AnswerCopyData(HWND sender, const COPYDATASTRUCT& data) {
    if (data.dwData == kPutPage) {
        FakeHtmlPage received;
        const std::string bytes(static_cast<const char*>(data.lpData), data.cbData);
        if (!DeserializeFakeHtmlPage(bytes, received)) return 0;
        received.liveObjects = page_.liveObjects;
        page_ = std::move(received);
        InvalidateRect(window_.get(), nullptr, TRUE);
        return 1;
    }
    if (data.dwData == kGetPage) {
        std::string bytes = SerializeFakeHtmlPage(page_);
        COPYDATASTRUCT answer = {kPageState, DWORD(bytes.size()), &bytes[0]};
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(window_.get()),
                                   reinterpret_cast<LPARAM>(&answer), SMTO_ABORTIFHUNG, 5000,
                                   &ignored) != 0
                   ? 1
                   : 0;
    }
    return 0;
}

void HtmlServerWindow::Paint() {
    ui::PaintDc dc(window_.get());
    RECT area;
    GetClientRect(window_.get(), &area);
    ui::UniqueBrush background(CreateSolidBrush(ColourOf(page_)));
    FillRect(dc.get(), &area, background.get());
    SetBkMode(dc.get(), TRANSPARENT);
    InflateRect(&area, -4, -4);
    const std::wstring text(page_.innerText.begin(), page_.innerText.end());
    DrawTextW(dc.get(), text.c_str(), int(text.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace velkaro
