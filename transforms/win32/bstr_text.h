#pragma once
// Conversions between the UTF-16 strings of the transforms' HTML interfaces and the BSTRs of
// IHTMLDocument2 and IHTMLElement. Nothing passes through the ANSI code page here: the
// transforms convert the text themselves.

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "com.h"

namespace velkaro {

// The characters of a BSTR (its length prefix counts, so embedded zeros survive).
std::u16string TextOfBstr(const ui::Bstr& text);

// A new BSTR with the characters of `text`; null only when the allocation fails.
ui::Bstr BstrOfText(const std::u16string& text);
// The same as a raw BSTR that the caller owns, for a VARIANT that takes it over.
BSTR AllocBstrOfText(const std::u16string& text);

// The answer of a getter that delivers a BSTR: true with its text when the call succeeded
// and gave a string; false for a failed call or a null BSTR (the string is left alone).
bool DeliverBstr(HRESULT result, const ui::Bstr& text, std::u16string& out);

}  // namespace velkaro
