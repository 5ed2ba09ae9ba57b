#pragma once
// HtmlDocumentAccess: the IHTMLDocument2 of a browser control's window ("Internet
// Explorer_Server"), as accessibility clients get it: the window answers the registered
// message "WM_HTML_GETOBJECT" with a marshalled reference, which ObjectFromLresult of
// OLEACC.DLL turns into an interface of this apartment (a proxy when the window belongs to
// another process).

#include <windows.h>
#include <mshtml.h>

#include "com.h"

namespace velkaro {

// ObjectFromLresult of OLEACC.DLL, resolved at run time.
using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
// RegisterWindowMessageA, or a stand-in that counts its calls.
using RegisterMessageFn = UINT(WINAPI*)(LPCSTR);

class HtmlDocumentAccess {
public:
    // A window that has not answered within this time is given up (the transform then does
    // nothing).
    static constexpr UINT kTimeoutMs = 1000;

    // `objectFromLresult` may be null (OLEACC.DLL or the function is missing): then no
    // window gives a document. `registerMessage` registers "WM_HTML_GETOBJECT".
    explicit HtmlDocumentAccess(ObjectFromLresultFn objectFromLresult,
                                RegisterMessageFn registerMessage = RegisterWindowMessageA);

    // The address of ObjectFromLresult in a loaded OLEACC.DLL; null when it has none.
    static ObjectFromLresultFn ObjectFromLresultOf(HMODULE oleacc);

    // The document of the window: the registered message sent with both parameters zero
    // (SMTO_ABORTIFHUNG, kTimeoutMs), its answer passed to ObjectFromLresult with
    // IID_IHTMLDocument2 and a zero second parameter. Empty when there is no function, the
    // window does not answer (hung, gone, not a browser control) or gives no interface.
    ui::ComPtr<IHTMLDocument2> GetHtmlDocument(HWND window);

    // The identifier of "WM_HTML_GETOBJECT", registered on the first use and kept for the
    // rest of the run (0 while registration fails; it is then tried again).
    UINT RegisteredMessage();

private:
    ObjectFromLresultFn objectFromLresult_;
    RegisterMessageFn registerMessage_;
    UINT message_ = 0;
};

}  // namespace velkaro
