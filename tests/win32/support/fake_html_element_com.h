#pragma once
// A COM object with IHTMLElement over the active element of a FakeHtmlPage, the portable
// model of a browser control in tests/unit/fake_html_document.h: get_outerHTML,
// get_innerHTML and get_innerText read the page, put_innerHTML and put_innerText write it
// (and are recorded in page.puts), as FakeHtmlElement does; every other operation answers
// E_NOTIMPL. It answers QueryInterface for IUnknown, IDispatch and IHTMLElement.
//
// While it lives it counts itself in page.liveObjects, so a test that finds the count back
// at its start knows that every reference handed out was released.

#include <windows.h>
#include <mshtml.h>

#include "com.h"
#include "fake_com_options.h"
#include "fake_html_document.h"

namespace velkaro {

// A new element object over `page` (which outlives it); the caller owns its one reference.
ui::ComPtr<IHTMLElement> MakeFakeHtmlElement(FakeHtmlPage& page, const FakeComOptions& options);

}  // namespace velkaro
