#pragma once
// Charset: one character at a time between a named character set and Unicode code points.
// The platform provides it: iconv on Linux (charset_iconv.cpp), the Win32 code-page API on
// Windows (charset_win32.cpp). Working one character at a time lets the caller name the
// position of a character it cannot convert and replace it when asked to.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velkaro {

class Charset {
public:
    // Longest byte sequence Encode writes for one code point, shift sequences included.
    static constexpr size_t kMaxCharBytes = 16;

    enum class Step { kCharacter, kInvalid, kEnd };

    // A converter for the charset called `name`; nullptr when the platform does not know it.
    static std::unique_ptr<Charset> Open(const std::string& name);
    // The charset of the terminal: on Linux the locale's (setlocale(LC_CTYPE, "") and
    // nl_langinfo(CODESET)), UTF-8 when the locale names none or only ASCII, as the C
    // locale does; UTF-8 on Windows.
    static std::string TerminalName();

    virtual ~Charset() = default;

    // Decodes the next character of [*in, end) into *cp and advances *in past it. kEnd when
    // only bytes without a character were left (a byte-order mark, a shift sequence) or
    // none; kInvalid, *in unchanged, when the bytes at *in are not a character of the
    // charset (a truncated sequence at the end included).
    virtual Step Decode(const uint8_t** in, const uint8_t* end, char32_t* cp) = 0;
    // Writes the bytes of cp to out (room for kMaxCharBytes) and sets *n; false when the
    // charset cannot hold cp.
    virtual bool Encode(char32_t cp, uint8_t* out, size_t* n) = 0;
    // Bytes that return a stateful encoding to its initial state at the end of a text
    // (room for kMaxCharBytes); their count, usually 0.
    virtual size_t Finish(uint8_t* out) = 0;
    // Forgets the state of earlier texts, so that the next Decode or Encode starts a new one.
    virtual void Reset() = 0;
};

}  // namespace velkaro
