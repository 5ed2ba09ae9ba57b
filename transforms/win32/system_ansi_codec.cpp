#include "system_ansi_codec.h"

#include <windows.h>

#include <climits>

namespace velkaro {
namespace {

// WideCharToMultiByte with `flags`; 0 when it fails.
int ToAnsiCount(const std::u16string& text, DWORD flags, char* out, int capacity) {
    return WideCharToMultiByte(CP_ACP, flags, reinterpret_cast<LPCWCH>(text.data()),
                               int(text.size()), out, capacity, nullptr, nullptr);
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The text with every surrogate pair replaced by U+FFFD, which no ANSI code page holds:
// Windows versions differ in whether a pair becomes one "?" or two, and the program counts
// it as one character, as the portable codec does.
std::u16string OneUnitPerCharacter(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back(u'\xFFFD');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

std::string SystemAnsiCodec::ToAnsi(const std::u16string& original) const {
    if (original.empty() || original.size() > size_t(INT_MAX)) return std::string();
    const std::u16string text = OneUnitPerCharacter(original);
    // Code pages such as UTF-8 refuse WC_NO_BEST_FIT_CHARS; they need no best fit anyway.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = ToAnsiCount(text, flags, nullptr, 0);
    if (n == 0) {
        flags = 0;
        n = ToAnsiCount(text, flags, nullptr, 0);
    }
    if (n <= 0) return std::string();
    std::string out(size_t(n), '\0');
    n = ToAnsiCount(text, flags, &out[0], n);
    out.resize(n > 0 ? size_t(n) : 0);
    return out;
}

std::u16string SystemAnsiCodec::FromAnsi(const char* text, size_t n) const {
    if (n == 0 || n > size_t(INT_MAX)) return std::u16string();
    const int count = MultiByteToWideChar(CP_ACP, 0, text, int(n), nullptr, 0);
    if (count <= 0) return std::u16string();
    std::u16string out(size_t(count), u'\0');
    const int written =
        MultiByteToWideChar(CP_ACP, 0, text, int(n), reinterpret_cast<LPWSTR>(&out[0]), count);
    out.resize(written > 0 ? size_t(written) : 0);
    return out;
}

}  // namespace velkaro
