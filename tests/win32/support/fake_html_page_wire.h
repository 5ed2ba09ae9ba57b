#pragma once
// A FakeHtmlPage as bytes, for the page channel between a test and an HtmlServerWindow in
// another process (html_server_window.h, html_page_client.h): every field of the page, its
// records and its counts.

#include <string>

#include "fake_html_document.h"

namespace velkaro {

std::string SerializeFakeHtmlPage(const FakeHtmlPage& page);

// Fills `page` from bytes made by SerializeFakeHtmlPage. False for bytes that are cut or
// malformed; `page` is then unchanged.
bool DeserializeFakeHtmlPage(const std::string& bytes, FakeHtmlPage& page);

}  // namespace velkaro
