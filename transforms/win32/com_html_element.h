#pragma once
// ComHtmlElement: the HtmlElement of the transforms over a browser control's IHTMLElement.
// It holds one reference of the element and releases it when destroyed.

#include <windows.h>
#include <mshtml.h>

#include <string>

#include "com.h"
#include "html_document.h"

namespace velkaro {

class ComHtmlElement : public HtmlElement {
public:
    explicit ComHtmlElement(ui::ComPtr<IHTMLElement> element);

    // get_outerHTML, get_innerHTML, get_innerText: false for a failed call or a null string.
    bool GetOuterHtml(std::u16string& html) override;
    bool GetInnerHtml(std::u16string& html) override;
    bool GetInnerText(std::u16string& text) override;
    // put_innerHTML, put_innerText. A string that cannot be allocated is not written at all:
    // a null BSTR would read as an empty text and wipe the element's content.
    void PutInnerHtml(const std::u16string& html) override;
    void PutInnerText(const std::u16string& text) override;

private:
    ui::ComPtr<IHTMLElement> element_;
};

}  // namespace velkaro
