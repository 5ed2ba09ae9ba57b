#include "info_note.h"

#include <cstring>

#include "cp1251.h"
#include "string_table.h"

namespace velkaro {

InfoNote::InfoNote() : text_(DefaultText()) {}

void InfoNote::LoadFileBytes(const char* data, size_t n) {
    if (n == 0) {
        UseDefault();
        return;
    }
    if (n > kMaxFileBytes) n = kMaxFileBytes;
    // The text ends at the first zero byte; a file that starts with one gives an empty note.
    const void* zero = std::memchr(data, 0, n);
    size_t length = zero ? size_t(static_cast<const char*>(zero) - data) : n;
    text_.assign(data, length);
}

void InfoNote::UseDefault() { text_ = DefaultText(); }

std::string InfoNote::PlainForm() const {
    return text_ + "\r\n" + std::string(kRuleLength, '_') + "\r\n";
}

std::string InfoNote::DefaultText() {
    return Cp1251::FromUtf8(LookupString(IDS_INFO_NOTE_PREFIX)) + ProgramCaption();
}

std::string InfoNote::ProgramCaption() {
    return Cp1251::FromUtf8(std::string(LookupString(IDS_PROGRAM_NAME)) +
                            LookupString(IDS_PROGRAM_VERSION_SUFFIX));
}

}  // namespace velkaro
