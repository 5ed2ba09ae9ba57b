#pragma once
// FakeTextTarget: an edit control's text held in a string, answering GetText exactly as
// WM_GETTEXT answers an ANSI program (the capacity counts the terminator, so at most
// capacity - 1 characters arrive), and recording every GetText capacity and every SetText.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "text_target.h"

namespace velkaro {

class FakeTextTarget : public TextTarget {
public:
    explicit FakeTextTarget(std::string text = std::string()) : text_(std::move(text)) {}

    uint32_t GetText(char* buffer, uint32_t capacity) override {
        reads.push_back(capacity);
        if (capacity == 0) return 0;  // WM_GETTEXT writes nothing, not even a terminator
        size_t n = text_.size();
        if (n > capacity - 1) n = capacity - 1;
        std::memcpy(buffer, text_.data(), n);
        buffer[n] = '\0';
        return uint32_t(n);
    }

    void SetText(const char* text) override {
        text_ = text;
        written.push_back(text_);
    }

    // The control's text now; setting it is the user typing, not recorded as a SetText.
    const std::string& Text() const { return text_; }
    void SetUserText(std::string text) { text_ = std::move(text); }

    std::vector<uint32_t> reads;       // the capacity of every GetText, in order
    std::vector<std::string> written;  // every SetText, in order

private:
    std::string text_;
};

}  // namespace velkaro
