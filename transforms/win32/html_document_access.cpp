#include "html_document_access.h"

namespace velkaro {

HtmlDocumentAccess::HtmlDocumentAccess(ObjectFromLresultFn objectFromLresult,
                                       RegisterMessageFn registerMessage)
    : objectFromLresult_(objectFromLresult), registerMessage_(registerMessage) {}

ObjectFromLresultFn HtmlDocumentAccess::ObjectFromLresultOf(HMODULE oleacc) {
    if (oleacc == nullptr) return nullptr;
    // FARPROC has no parameters; the detour through void (*)() is how a looked-up address
    // is given its real type without a cast-function-type warning.
    const FARPROC address = GetProcAddress(oleacc, "ObjectFromLresult");
    return reinterpret_cast<ObjectFromLresultFn>(reinterpret_cast<void (*)()>(address));
}

UINT HtmlDocumentAccess::RegisteredMessage() {
    if (message_ == 0) message_ = registerMessage_("WM_HTML_GETOBJECT");
    return message_;
}

ui::ComPtr<IHTMLDocument2> HtmlDocumentAccess::GetHtmlDocument(HWND window) {
    ui::ComPtr<IHTMLDocument2> document;
    if (objectFromLresult_ == nullptr) return document;
    const UINT message = RegisteredMessage();
    if (message == 0) return document;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, message, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer) == 0 ||
        answer == 0) {
        return document;
    }
    // ObjectFromLresult also frees the marshalled reference behind a non-zero answer, so it
    // is called for every one of them, even if no interface comes out.
    if (FAILED(objectFromLresult_(LRESULT(answer), IID_IHTMLDocument2, 0, document.put_void()))) {
        document.reset();
    }
    return document;
}

}  // namespace velkaro
