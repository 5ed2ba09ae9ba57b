#include "com_html_element.h"

#include <utility>

#include "bstr_text.h"

namespace velkaro {

ComHtmlElement::ComHtmlElement(ui::ComPtr<IHTMLElement> element) : element_(std::move(element)) {}

bool ComHtmlElement::GetOuterHtml(std::u16string& html) {
    ui::Bstr value;
    const HRESULT result = element_->get_outerHTML(value.put());
    return DeliverBstr(result, value, html);
}

bool ComHtmlElement::GetInnerHtml(std::u16string& html) {
    ui::Bstr value;
    const HRESULT result = element_->get_innerHTML(value.put());
    return DeliverBstr(result, value, html);
}

bool ComHtmlElement::GetInnerText(std::u16string& text) {
    ui::Bstr value;
    const HRESULT result = element_->get_innerText(value.put());
    return DeliverBstr(result, value, text);
}

void ComHtmlElement::PutInnerHtml(const std::u16string& html) {
    ui::Bstr value = BstrOfText(html);
    if (value.get() != nullptr) element_->put_innerHTML(value.get());
}

void ComHtmlElement::PutInnerText(const std::u16string& text) {
    ui::Bstr value = BstrOfText(text);
    if (value.get() != nullptr) element_->put_innerText(value.get());
}

}  // namespace velkaro
