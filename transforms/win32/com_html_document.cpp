#include "com_html_document.h"

#include <utility>

#include "bstr_text.h"
#include "com_html_element.h"

namespace velkaro {

ComHtmlDocument::ComHtmlDocument(ui::ComPtr<IHTMLDocument2> document)
    : document_(std::move(document)) {}

bool ComHtmlDocument::GetUrl(std::u16string& url) {
    ui::Bstr value;
    const HRESULT result = document_->get_URL(value.put());
    return DeliverBstr(result, value, url);
}

std::unique_ptr<HtmlElement> ComHtmlDocument::GetActiveElement() {
    ui::ComPtr<IHTMLElement> element;
    if (FAILED(document_->get_activeElement(element.put())) || !element) return nullptr;
    return std::make_unique<ComHtmlElement>(std::move(element));
}

bool ComHtmlDocument::GetDesignMode(std::u16string& mode) {
    ui::Bstr value;
    const HRESULT result = document_->get_designMode(value.put());
    return DeliverBstr(result, value, mode);
}

void ComHtmlDocument::PutBgColor(const std::u16string& colour) {
    ui::Variant value;  // frees the name when it goes
    BSTR name = AllocBstrOfText(colour);
    if (name != nullptr) {
        value.get()->vt = VT_BSTR;
        value.get()->bstrVal = name;
    } else {
        value.get()->vt = VT_ERROR;
        value.get()->scode = E_OUTOFMEMORY;
    }
    document_->put_bgColor(value.value());
}

}  // namespace velkaro
