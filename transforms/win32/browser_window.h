#pragma once
// BrowserWindow: the HtmlWindow of the transforms over the window of a browser control
// ("Internet Explorer_Server"), usually in another process.

#include <windows.h>

#include <memory>

#include "html_document.h"
#include "html_document_access.h"

namespace velkaro {

class BrowserWindow : public HtmlWindow {
public:
    // `access` outlives this object (the main window keeps one for the run).
    BrowserWindow(HWND window, HtmlDocumentAccess& access);

    // The window's IHTMLDocument2 in a ComHtmlDocument; null when it gives none.
    std::unique_ptr<HtmlDocument> GetHtmlDocument() override;
    // Posts WM_LBUTTONDOWN and then WM_LBUTTONUP, both with zero parameters (a click at the
    // client origin), so that the control takes up the content written into it.
    void PostClick() override;
    // Posts WM_SETFOCUS with zero parameters.
    void PostSetFocus() override;
    // SetForegroundWindow of the window.
    void BringToForeground() override;

    HWND window() const { return window_; }

private:
    HWND window_;
    HtmlDocumentAccess& access_;
};

}  // namespace velkaro
