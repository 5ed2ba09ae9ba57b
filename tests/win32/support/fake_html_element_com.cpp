#include "fake_html_element_com.h"

#include "fake_bstr.h"
#include "fake_dispatch.h"

namespace velkaro {
namespace {

class FakeHtmlElementCom : public FakeDispatch<IHTMLElement> {
public:
    FakeHtmlElementCom(FakeHtmlPage& page, const FakeComOptions& options)
        : page_(page), options_(options) {
        ++page_.liveObjects;
    }

    // --- what the adapters use
    HRESULT STDMETHODCALLTYPE get_outerHTML(BSTR* p) override { return Give(page_.OuterHtml(), p); }
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* p) override { return Give(page_.innerHtml, p); }
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR* p) override { return Give(page_.innerText, p); }
    HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR v) override {
        const std::u16string html = FakeTextOfBstr(v);
        page_.puts.push_back({FakeHtmlPage::PutKind::InnerHtml, html});
        page_.SetBodyHtml(html);
        Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_innerText(BSTR v) override {
        const std::u16string text = FakeTextOfBstr(v);
        page_.puts.push_back({FakeHtmlPage::PutKind::InnerText, text});
        page_.SetBodyText(text);
        Changed();
        return S_OK;
    }

    // --- everything else
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR, VARIANT, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR, LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE removeAttribute(BSTR, LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_className(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_className(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_id(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentElement(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onhelp(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onhelp(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondblclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondblclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeydown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeydown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeyup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeyup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeypress(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeypress(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseout(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseout(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseover(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseover(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousemove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousemove(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousedown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousedown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_document(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_title(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_title(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_language(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_language(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselectstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselectstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE scrollIntoView(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE contains(IHTMLElement*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_sourceIndex(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_recordNumber(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_lang(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lang(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetLeft(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetTop(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetWidth(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetHeight(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetParent(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_outerHTML(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_outerText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_outerText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE insertAdjacentHTML(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE insertAdjacentText(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentTextEdit(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_isTextEdit(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE click() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_filters(IHTMLFiltersCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondragstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondragstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE toString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onbeforeupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onbeforeupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onafterupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onafterupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onerrorupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onerrorupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowexit(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowexit(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowenter(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowenter(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondatasetchanged(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondatasetchanged(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondataavailable(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondataavailable(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondatasetcomplete(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondatasetcomplete(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onfilterchange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onfilterchange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_children(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_all(IDispatch**) override { return E_NOTIMPL; }

private:
    ~FakeHtmlElementCom() override { --page_.liveObjects; }
    bool Offers(REFIID iid) const override { return IsEqualIID(iid, IID_IHTMLElement) != 0; }

    HRESULT Give(const std::u16string& value, BSTR* out) const {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!page_.elementGivesStrings) {
            return options_.refusal == FakeRefusal::FailedCall ? E_FAIL : S_OK;
        }
        return FakeGiveBstr(value, out);
    }
    void Changed() const {
        if (options_.changed) options_.changed();
    }

    FakeHtmlPage& page_;
    FakeComOptions options_;
};

}  // namespace

ui::ComPtr<IHTMLElement> MakeFakeHtmlElement(FakeHtmlPage& page, const FakeComOptions& options) {
    return ui::ComPtr<IHTMLElement>(new FakeHtmlElementCom(page, options));
}

}  // namespace velkaro
