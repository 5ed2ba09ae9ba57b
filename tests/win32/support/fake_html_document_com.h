#pragma once
// A COM object with IHTMLDocument2 over the document of a FakeHtmlPage, the portable model
// of a browser control in tests/unit/fake_html_document.h: get_URL, get_activeElement (a
// new IHTMLElement object over the page's active element, see fake_html_element_com.h),
// get_designMode and put_bgColor (a VT_BSTR colour, recorded in page.bgColours) work on the
// page as FakeHtmlDocument does; every other operation answers E_NOTIMPL. It answers
// QueryInterface for IUnknown, IDispatch, IHTMLDocument and IHTMLDocument2, and crosses
// apartments and processes through the type-library marshaller (mshtml.tlb).
//
// While it lives it counts itself in page.liveObjects (so do its elements), so a test that
// finds the count back at its start knows that every reference handed out was released.

#include <windows.h>
#include <mshtml.h>

#include "com.h"
#include "fake_com_options.h"
#include "fake_html_document.h"

namespace velkaro {

// A new document object over `page` (which outlives it); the caller owns its one reference.
ui::ComPtr<IHTMLDocument2> MakeFakeHtmlDocument(FakeHtmlPage& page,
                                                const FakeComOptions& options = {});

}  // namespace velkaro
