#pragma once
// HtmlServerWindow: a stand-in for the browser control's window, for tests and for the test
// programs that play a mail client. Its window class is "Internet Explorer_Server", and it
// answers the registered message "WM_HTML_GETOBJECT" as the control does:
// LresultFromObject(IID_IHTMLDocument2, wParam, document), with a new COM document over the
// FakeHtmlPage it shows (fake_html_document_com.h), so that ObjectFromLresult of OLEACC.DLL
// gives a client in this or another process an IHTMLDocument2 of it. A page without
// document (page.hasDocument false) answers 0, as a window that is no browser control does.
//
// What it records in the page, beside what the document records:
//  - documentsObtained: one more for every document handed out;
//  - windowEvents: "click" for a WM_LBUTTONDOWN followed by a WM_LBUTTONUP, both with zero
//    parameters (the click that the HTML transform posts), "setfocus" for a WM_SETFOCUS
//    whose wParam is zero (the focus it posts; the system's own focus changes may add more).
// It paints the page's inner text on its background colour ("cornsilk" or "white", the
// colours the transform writes).
//
// The page channel, for a client in another process (html_page_client.h): WM_COPYDATA with
// dwData kPutPage and a serialized page (fake_html_page_wire.h) replaces the page, all but
// its count of live objects, which stays the truth of this process; WM_COPYDATA with
// kGetPage is answered with a WM_COPYDATA kPageState, carrying the serialized page, sent to
// the window in wParam before the call returns. Both answer 1 when done.
//
// The window, the page and the documents live on the thread that made the window, which
// must be a COM apartment (CoInitialize) that dispatches messages.

#include <windows.h>

#include <memory>

#include "com.h"
#include "fake_com_options.h"
#include "fake_html_document.h"
#include "handles.h"

namespace velkaro {

class HtmlServerWindow {
public:
    static constexpr wchar_t kClassName[] = L"Internet Explorer_Server";
    static constexpr ULONG_PTR kPutPage = 0x56480001;
    static constexpr ULONG_PTR kGetPage = 0x56480002;
    static constexpr ULONG_PTR kPageState = 0x56480003;

    // A child window filling the client area of `parent`, or, without parent, a hidden
    // top-level window. `page` outlives the window. ok() is false when it could not be made.
    explicit HtmlServerWindow(FakeHtmlPage& page, HWND parent = nullptr,
                              FakeComOptions options = {});
    ~HtmlServerWindow();
    HtmlServerWindow(const HtmlServerWindow&) = delete;
    HtmlServerWindow& operator=(const HtmlServerWindow&) = delete;

    bool ok() const { return bool(window_); }
    HWND hwnd() const { return window_.get(); }
    FakeHtmlPage& page() { return page_; }
    // How later documents refuse the strings the page does not give.
    void SetRefusal(FakeRefusal refusal) { options_.refusal = refusal; }

    // The identifier of "WM_HTML_GETOBJECT".
    static UINT GetObjectMessage();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandOutDocument(WPARAM wParam);
    LRESULT AnswerCopyData(HWND sender, const COPYDATASTRUCT& data);
    void Paint();

    FakeHtmlPage& page_;
    FakeComOptions options_;
    bool buttonDown_ = false;
    std::shared_ptr<HWND> repaintTarget_ = std::make_shared<HWND>(nullptr);
    ui::UniqueWindow window_;
};

}  // namespace velkaro
