#pragma once
// Cp1251: the Windows-1251 code page, the single-byte text the engine and the program work in.
// The table is our own rather than the platform's so that Linux and Windows builds agree
// byte for byte on what a text becomes.

#include <cstdint>
#include <string>

namespace velkaro {

class Cp1251 {
public:
    // The code point of a byte. 0x98, which the code page leaves undefined, is passed
    // through as U+0098 (as Windows does), so every byte has a code point and back.
    static char32_t ToUnicode(uint8_t byte);
    // The byte of a code point; false when the code page cannot hold it.
    static bool FromUnicode(char32_t cp, uint8_t* byte);
    // Converts a UTF-8 text (the string table's) to CP1251. Characters the code page cannot
    // hold, and invalid UTF-8, become "?".
    static std::string FromUtf8(const std::string& utf8);
};

}  // namespace velkaro
