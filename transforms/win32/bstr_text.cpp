#include "bstr_text.h"

namespace velkaro {

std::u16string TextOfBstr(const ui::Bstr& text) {
    if (text.get() == nullptr) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text.get()), text.length());
}

BSTR AllocBstrOfText(const std::u16string& text) {
    if (text.size() > 0x7FFFFFF0u / sizeof(char16_t)) return nullptr;  // beyond any BSTR
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
}

ui::Bstr BstrOfText(const std::u16string& text) { return ui::Bstr(AllocBstrOfText(text)); }

bool DeliverBstr(HRESULT result, const ui::Bstr& text, std::u16string& out) {
    if (FAILED(result) || text.get() == nullptr) return false;
    out = TextOfBstr(text);
    return true;
}

}  // namespace velkaro
