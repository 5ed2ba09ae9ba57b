#include "cp1251_codec.h"

#include <cstdint>

#include "cp1251.h"

namespace velkaro {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Cp1251Codec::ToAnsi(const std::u16string& text) const {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        uint8_t byte = '?';
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            // A character outside the BMP is never in the code page; its pair counts once.
            if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        } else if (!Cp1251::FromUnicode(unit, &byte)) {
            byte = '?';
        }
        out.push_back(char(byte));
    }
    return out;
}

std::u16string Cp1251Codec::FromAnsi(const char* text, size_t n) const {
    std::u16string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(char16_t(Cp1251::ToUnicode(uint8_t(text[i]))));
    }
    return out;
}

}  // namespace velkaro
