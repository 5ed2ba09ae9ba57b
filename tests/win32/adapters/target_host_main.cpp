// The target host: another process with the windows the adapters reach across a process
// boundary, as the tray program meets them in mail clients (see target_host_protocol.h).

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "com.h"
#include "fake_html_document.h"
#include "handles.h"
#include "html_server_window.h"
#include "target_host_protocol.h"

namespace velkaro {
namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeFrame() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FrameProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTargetHostClass;
    if (RegisterClassExW(&windowClass) == 0) return nullptr;
    return CreateWindowExW(0, kTargetHostClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 480, 360, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Stops answering until the test releases the thread (at most a minute, so that a test
// that died cannot leave this process behind for ever).
void Hang(const std::wstring& title) {
    ui::UniqueKernelHandle hung(CreateEventW(nullptr, TRUE, FALSE, (title + kHungSuffix).c_str()));
    ui::UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, (title + kReleaseSuffix).c_str()));
    if (!hung || !release) return;
    SetEvent(hung.get());
    WaitForSingleObject(release.get(), 60000);
}

int Run(const std::wstring& mode, const std::wstring& title, const std::wstring& text) {
    ui::ComApartment apartment;
    HWND frame = MakeFrame();
    if (frame == nullptr) return kHostNoWindow;
    RECT area;
    GetClientRect(frame, &area);

    FakeHtmlPage page;
    std::unique_ptr<HtmlServerWindow> server;
    bool holdsClipboard = false;
    if (mode == L"edit") {
        if (CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0,
                            area.right, area.bottom, frame, nullptr, GetModuleHandleW(nullptr),
                            nullptr) == nullptr) {
            return kHostNoWindow;
        }
    } else if (mode == L"html") {
        server = std::make_unique<HtmlServerWindow>(page, frame);
        if (!server->ok()) return kHostNoWindow;
    } else if (mode == L"clipboard") {
        // Wine's own clipboard manager may hold it for a moment.
        for (int attempt = 0; attempt < 500 && !holdsClipboard; ++attempt) {
            holdsClipboard = OpenClipboard(frame) != FALSE;
            if (!holdsClipboard) Sleep(20);
        }
        if (!holdsClipboard) return kHostNoClipboard;
    } else {
        return kHostUsage;
    }
    SetWindowTextW(frame, title.c_str());  // ready

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == kHangMessage) {
            Hang(title);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (holdsClipboard) CloseClipboard();
    server.reset();
    return page.liveObjects == 0 ? kHostOk : kHostReferencesLeft;
}

}  // namespace
}  // namespace velkaro

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 3) return velkaro::kHostUsage;
    const std::wstring mode = arguments[1];
    const std::wstring title = arguments[2];
    const std::wstring text = count > 3 ? arguments[3] : L"";
    LocalFree(arguments);
    return velkaro::Run(mode, title, text);
}
