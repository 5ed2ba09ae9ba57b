#pragma once
// TextTarget: the text of a plain edit control, reached as an ANSI program reaches it with
// WM_GETTEXT and WM_SETTEXT. The Win32 layer sends the messages; tests use a string.

#include <cstdint>

namespace velkaro {

class TextTarget {
public:
    virtual ~TextTarget() = default;
    // Copies at most capacity - 1 characters of the text and a terminating zero into buffer
    // (capacity counts the terminator) and returns the number of characters copied.
    virtual uint32_t GetText(char* buffer, uint32_t capacity) = 0;
    // Replaces the whole text with the zero-terminated `text`.
    virtual void SetText(const char* text) = 0;
};

}  // namespace velkaro
