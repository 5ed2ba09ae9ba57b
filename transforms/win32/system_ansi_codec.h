#pragma once
// SystemAnsiCodec: the AnsiCodec of the Win32 program, over the system's ANSI code page
// (CP_ACP; Windows-1251 on a Russian system), as LoadStringA, WM_GETTEXT and MessageBoxA
// see text.

#include "ansi_codec.h"

namespace velkaro {

class SystemAnsiCodec : public AnsiCodec {
public:
    // A character the code page lacks becomes "?", never a look-alike: best-fit mapping
    // would turn, for instance, a full-width "<" into markup in an HTML text. A character
    // outside the Basic Multilingual Plane (a surrogate pair) becomes one "?", a lone
    // surrogate one "?" as well, as in the portable codec.
    std::string ToAnsi(const std::u16string& text) const override;
    std::u16string FromAnsi(const char* text, size_t n) const override;
};

}  // namespace velkaro
