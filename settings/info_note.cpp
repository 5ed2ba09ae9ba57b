#include "info_note.h"

#include <cstdio>
#include <cstring>

#include "cp1251.h"
#include "secure_wipe.h"
#include "string_table.h"

namespace velkaro {

size_t ReadInfoNoteFile(const std::string& path, char (&buffer)[kInfoNoteReadLimit]) {
    SecureWipe(buffer, sizeof buffer);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    return got;
}

std::string InfoNoteTextFromBytes(const char* data, size_t n, const std::string& defaultText) {
    if (n == 0) return defaultText;
    if (n > kInfoNoteReadLimit) n = kInfoNoteReadLimit;
    const void* zero = std::memchr(data, 0, n);
    size_t length = zero ? size_t(static_cast<const char*>(zero) - data) : n;
    return std::string(data, length);
}

std::string DefaultInfoNoteText(const std::string& programCaption) {
    const char* prefix = LookupString(IDS_INFO_NOTE_PREFIX);
    return Cp1251::FromUtf8(prefix ? prefix : "") + programCaption;
}

std::string InfoNotePlainForm(const std::string& text) {
    return text + "\r\n" + std::string(kInfoNoteRuleLength, '_') + "\r\n";
}

std::string InfoNoteHtmlForm(const std::string& text) {
    std::string html;
    html.reserve(text.size() + 64);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            html.push_back(text[i]);
            continue;
        }
        html += "<br>";
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return html + "<br>" + std::string(kInfoNoteRuleLength, '_') + "<br>";
}

InfoNote::InfoNote() : text_(DefaultText()) {}

void InfoNote::LoadFileBytes(const char* data, size_t n) {
    text_ = InfoNoteTextFromBytes(data, n, DefaultText());
}

void InfoNote::UseDefault() { text_ = DefaultText(); }

std::string InfoNote::DefaultText() { return DefaultInfoNoteText(ProgramCaption()); }

std::string InfoNote::ProgramCaption() {
    const char* name = LookupString(IDS_PROGRAM_NAME);
    const char* suffix = LookupString(IDS_PROGRAM_VERSION_SUFFIX);
    return Cp1251::FromUtf8(std::string(name ? name : "") + (suffix ? suffix : ""));
}

}  // namespace velkaro
