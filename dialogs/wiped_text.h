#pragma once
// WipedText: the whole text of a window (an edit control) read into a buffer of its own that
// is wiped when it goes, for texts that may be a decrypted letter.

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "secure_wipe.h"

namespace velkaro {

class WipedText {
public:
    // Reads the text of `window` when it has at most `maxChars` characters; a longer one is
    // not read at all (tooLong), so that nothing is cut without the caller knowing.
    WipedText(HWND window, size_t maxChars) {
        const int length = GetWindowTextLengthA(window);
        if (length < 0 || size_t(length) > maxChars) {
            tooLong_ = length > 0;
            return;
        }
        buffer_.assign(size_t(length) + 1, '\0');
        const int copied = GetWindowTextA(window, buffer_.data(), int(buffer_.size()));
        length_ = copied > 0 ? size_t(copied) : 0;
    }
    ~WipedText() {
        if (!buffer_.empty()) SecureWipe(buffer_.data(), buffer_.size());
    }
    WipedText(const WipedText&) = delete;
    WipedText& operator=(const WipedText&) = delete;

    const char* c_str() const { return buffer_.empty() ? "" : buffer_.data(); }
    // Copies the text with its terminator into `out` (at least length() + 1 bytes).
    void CopyTo(char* out) const {
        if (buffer_.empty()) {
            out[0] = '\0';
            return;
        }
        std::memcpy(out, buffer_.data(), length_ + 1);
    }
    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    bool tooLong() const { return tooLong_; }

private:
    std::vector<char> buffer_;
    size_t length_ = 0;
    bool tooLong_ = false;
};

}  // namespace velkaro
