#pragma once
// The few operations of a browser control's document and its active element that the HTML
// transform uses, with the control's window. The Win32 layer wraps IHTMLDocument2 and
// IHTMLElement (each object releases its interface when destroyed, so everything obtained
// is released before a transform returns); tests use a document model of their own.
// Strings are UTF-16, as the control delivers them.

#include <memory>
#include <string>

namespace velkaro {

class HtmlElement {
public:
    virtual ~HtmlElement() = default;
    // Each getter answers false when the element gives no string.
    virtual bool GetOuterHtml(std::u16string& html) = 0;
    virtual bool GetInnerHtml(std::u16string& html) = 0;
    virtual bool GetInnerText(std::u16string& text) = 0;
    virtual void PutInnerHtml(const std::u16string& html) = 0;
    virtual void PutInnerText(const std::u16string& text) = 0;
};

class HtmlDocument {
public:
    virtual ~HtmlDocument() = default;
    virtual bool GetUrl(std::u16string& url) = 0;
    // The active element, or null when there is none.
    virtual std::unique_ptr<HtmlElement> GetActiveElement() = 0;
    virtual bool GetDesignMode(std::u16string& mode) = 0;
    virtual void PutBgColor(const std::u16string& colour) = 0;
};

// The browser control's window ("Internet Explorer_Server").
class HtmlWindow {
public:
    virtual ~HtmlWindow() = default;
    // The window's document, or null when the window does not answer or gives none.
    virtual std::unique_ptr<HtmlDocument> GetHtmlDocument() = 0;
    // Posts WM_LBUTTONDOWN and then WM_LBUTTONUP, both with zero parameters.
    virtual void PostClick() = 0;
    // Posts WM_SETFOCUS with zero parameters.
    virtual void PostSetFocus() = 0;
    // SetForegroundWindow.
    virtual void BringToForeground() = 0;
};

}  // namespace velkaro
