#include "html_page_client.h"

#include <utility>

#include "fake_html_page_wire.h"
#include "html_server_window.h"

namespace velkaro {
namespace {

constexpr wchar_t kClientClass[] = L"VelkaroHtmlPageClient";

}  // namespace

HtmlPageClient::HtmlPageClient(HWND server) : server_(server) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &HtmlPageClient::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClientClass;
        return RegisterClassExW(&windowClass);
    }();
    if (registered == 0) return;
    window_.reset(CreateWindowExW(0, kClientClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK HtmlPageClient::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = reinterpret_cast<HtmlPageClient*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_COPYDATA) {
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data.dwData != HtmlServerWindow::kPageState) return 0;
        self->answer_.assign(static_cast<const char*>(data.lpData), data.cbData);
        self->answered_ = true;
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool HtmlPageClient::Send(ULONG_PTR kind, std::string bytes) {
    if (!window_) return false;
    COPYDATASTRUCT data = {kind, DWORD(bytes.size()), bytes.empty() ? nullptr : &bytes[0]};
    DWORD_PTR result = 0;
    // No SMTO_BLOCK: the answer to kGetPage is sent to our window while we wait.
    return SendMessageTimeoutW(server_, WM_COPYDATA, reinterpret_cast<WPARAM>(window_.get()),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kTimeoutMs,
                               &result) != 0 &&
           result == 1;
}

bool HtmlPageClient::Put(const FakeHtmlPage& page) {
    return Send(HtmlServerWindow::kPutPage, SerializeFakeHtmlPage(page));
}

bool HtmlPageClient::Get(FakeHtmlPage& page) {
    answered_ = false;
    answer_.clear();
    if (!Send(HtmlServerWindow::kGetPage, std::string()) || !answered_) return false;
    return DeserializeFakeHtmlPage(answer_, page);
}

}  // namespace velkaro
