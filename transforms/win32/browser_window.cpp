#include "browser_window.h"

#include <utility>

#include "com_html_document.h"

namespace velkaro {

BrowserWindow::BrowserWindow(HWND window, HtmlDocumentAccess& access)
    : window_(window), access_(access) {}

std::unique_ptr<HtmlDocument> BrowserWindow::GetHtmlDocument() {
    ui::ComPtr<IHTMLDocument2> document = access_.GetHtmlDocument(window_);
    if (!document) return nullptr;
    return std::make_unique<ComHtmlDocument>(std::move(document));
}

void BrowserWindow::PostClick() {
    PostMessageA(window_, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(window_, WM_LBUTTONUP, 0, 0);
}

void BrowserWindow::PostSetFocus() { PostMessageA(window_, WM_SETFOCUS, 0, 0); }

void BrowserWindow::BringToForeground() { SetForegroundWindow(window_); }

}  // namespace velkaro
