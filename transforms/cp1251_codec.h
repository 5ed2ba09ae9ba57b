#pragma once
// Cp1251Codec: the portable AnsiCodec, over the program's own Windows-1251 table, so that
// every build turns the HTML interfaces' UTF-16 into the same bytes.

#include "ansi_codec.h"

namespace velkaro {

class Cp1251Codec : public AnsiCodec {
public:
    // Every UTF-16 unit the code page holds becomes its byte. A unit it lacks becomes one
    // "?", and so does a surrogate pair (one character, one "?") or a lone surrogate. The
    // result has as many bytes as the text has characters.
    std::string ToAnsi(const std::u16string& text) const override;
    // Every byte becomes its code point; all of them lie in the Basic Multilingual Plane.
    std::u16string FromAnsi(const char* text, size_t n) const override;
};

}  // namespace velkaro
