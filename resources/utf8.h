#pragma once
// Utf8: the UTF-8 form of Unicode code points, for the texts of the string table and for
// terminal input on Windows (which arrives as UTF-16 and is passed on as UTF-8).

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

class Utf8 {
public:
    static constexpr size_t kMaxSequence = 4;

    // Decodes one code point from [*p, end) and advances *p past it. False, *p unchanged,
    // for an invalid, overlong, surrogate or truncated sequence.
    static bool Decode(const uint8_t** p, const uint8_t* end, char32_t* cp);
    // Writes cp (at most kMaxSequence bytes) and returns the byte count; 0 for a value that
    // is not a Unicode scalar value (a surrogate, or above U+10FFFF).
    static size_t Encode(char32_t cp, uint8_t* out);
};

}  // namespace velkaro
