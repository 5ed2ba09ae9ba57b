#pragma once
// BSTR conversions of the COM fakes, kept apart from the adapters' own so that a fault in
// one cannot hide in the other.

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace velkaro {

inline std::u16string FakeTextOfBstr(BSTR text) {
    if (text == nullptr) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// Delivers `value` (a new BSTR the caller frees) through `out`; E_OUTOFMEMORY when it
// cannot be allocated.
inline HRESULT FakeGiveBstr(const std::u16string& value, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.data()), UINT(value.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace velkaro
