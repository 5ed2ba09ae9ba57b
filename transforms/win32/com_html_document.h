#pragma once
// ComHtmlDocument: the HtmlDocument of the transforms over a browser control's
// IHTMLDocument2. It holds one reference of the document and releases it when destroyed;
// every element it hands out holds a reference of its own.

#include <windows.h>
#include <mshtml.h>

#include <memory>
#include <string>

#include "com.h"
#include "html_document.h"

namespace velkaro {

class ComHtmlDocument : public HtmlDocument {
public:
    explicit ComHtmlDocument(ui::ComPtr<IHTMLDocument2> document);

    // get_URL: false for a failed call or a null string.
    bool GetUrl(std::u16string& url) override;
    // get_activeElement wrapped in a ComHtmlElement; null when the call fails or gives none.
    std::unique_ptr<HtmlElement> GetActiveElement() override;
    // get_designMode: false for a failed call or a null string.
    bool GetDesignMode(std::u16string& mode) override;
    // put_bgColor with a VARIANT of type VT_BSTR holding the colour's name; when the string
    // cannot be allocated, a VT_ERROR holding E_OUTOFMEMORY (the document then keeps its
    // colour).
    void PutBgColor(const std::u16string& colour) override;

private:
    ui::ComPtr<IHTMLDocument2> document_;
};

}  // namespace velkaro
