#pragma once
// HtmlPageClient: the other end of an HtmlServerWindow's page channel, for a test that
// drives a server window of another process: it replaces the server's page and reads it
// back (content, records and counts), through WM_COPYDATA (see html_server_window.h).
// Use it on a thread that dispatches messages; the answers arrive at a message-only window
// of its own while the request is under way.

#include <windows.h>

#include <string>

#include "fake_html_document.h"
#include "handles.h"

namespace velkaro {

class HtmlPageClient {
public:
    // A server that has not answered within this time counts as gone.
    static constexpr UINT kTimeoutMs = 5000;

    explicit HtmlPageClient(HWND server);
    HtmlPageClient(const HtmlPageClient&) = delete;
    HtmlPageClient& operator=(const HtmlPageClient&) = delete;

    // Replaces the server's page, all but its count of live objects. False when the server
    // did not take it.
    bool Put(const FakeHtmlPage& page);
    // The server's page as it is now. False when it did not answer; `page` is then unchanged.
    bool Get(FakeHtmlPage& page);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Send(ULONG_PTR kind, std::string bytes);

    HWND server_;
    ui::UniqueWindow window_;
    bool answered_ = false;
    std::string answer_;
};

}  // namespace velkaro
