#include "fake_html_page_wire.h"

#include <cstdint>

namespace velkaro {
namespace {

// Little-endian 32-bit numbers; a string is its length in units and then its units.
class Writer {
public:
    void Number(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(char((value >> shift) & 0xFF));
    }
    void Text(const std::u16string& text) {
        Number(uint32_t(text.size()));
        for (char16_t unit : text) {
            bytes_.push_back(char(unit & 0xFF));
            bytes_.push_back(char(unit >> 8));
        }
    }
    void Bytes(const std::string& text) {
        Number(uint32_t(text.size()));
        bytes_ += text;
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool Number(uint32_t& value) {
        if (bytes_.size() - at_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(uint8_t(bytes_[at_++])) << (8 * i);
        return true;
    }
    bool Flag(bool& value) {
        uint32_t n = 0;
        if (!Number(n) || n > 1) return false;
        value = n == 1;
        return true;
    }
    bool Text(std::u16string& text) {
        uint32_t n = 0;
        if (!Number(n) || (bytes_.size() - at_) / 2 < n) return false;
        text.resize(n);
        for (uint32_t i = 0; i < n; ++i, at_ += 2) {
            text[i] = char16_t(uint8_t(bytes_[at_]) | (uint8_t(bytes_[at_ + 1]) << 8));
        }
        return true;
    }
    bool Bytes(std::string& text) {
        uint32_t n = 0;
        if (!Number(n) || bytes_.size() - at_ < n) return false;
        text = bytes_.substr(at_, n);
        at_ += n;
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

}  // namespace

std::string SerializeFakeHtmlPage(const FakeHtmlPage& page) {
    Writer out;
    for (bool flag : {page.hasDocument, page.givesUrl, page.givesDesignMode, page.hasElement,
                      page.elementGivesStrings, page.outerHtmlApart.has_value()}) {
        out.Number(flag ? 1 : 0);
    }
    out.Text(page.url);
    out.Text(page.designMode);
    out.Text(page.tag);
    out.Text(page.innerHtml);
    out.Text(page.innerText);
    out.Text(page.outerHtmlApart.value_or(std::u16string()));
    out.Number(uint32_t(page.puts.size()));
    for (const FakeHtmlPage::Put& put : page.puts) {
        out.Number(put.kind == FakeHtmlPage::PutKind::InnerHtml ? 0 : 1);
        out.Text(put.text);
    }
    out.Number(uint32_t(page.bgColours.size()));
    for (const std::u16string& colour : page.bgColours) out.Text(colour);
    out.Number(uint32_t(page.windowEvents.size()));
    for (const std::string& event : page.windowEvents) out.Bytes(event);
    out.Number(uint32_t(page.liveObjects));
    out.Number(uint32_t(page.documentsObtained));
    return out.Take();
}

bool DeserializeFakeHtmlPage(const std::string& bytes, FakeHtmlPage& page) {
    Reader in(bytes);
    FakeHtmlPage read;
    bool hasApart = false;
    std::u16string apart;
    if (!in.Flag(read.hasDocument) || !in.Flag(read.givesUrl) || !in.Flag(read.givesDesignMode) ||
        !in.Flag(read.hasElement) || !in.Flag(read.elementGivesStrings) || !in.Flag(hasApart) ||
        !in.Text(read.url) || !in.Text(read.designMode) || !in.Text(read.tag) ||
        !in.Text(read.innerHtml) || !in.Text(read.innerText) || !in.Text(apart)) {
        return false;
    }
    if (hasApart) read.outerHtmlApart = apart;
    uint32_t count = 0;
    if (!in.Number(count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t kind = 0;
        std::u16string text;
        if (!in.Number(kind) || kind > 1 || !in.Text(text)) return false;
        read.puts.push_back({kind == 0 ? FakeHtmlPage::PutKind::InnerHtml : FakeHtmlPage::PutKind::InnerText, text});
    }
    if (!in.Number(count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::u16string colour;
        if (!in.Text(colour)) return false;
        read.bgColours.push_back(colour);
    }
    if (!in.Number(count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string event;
        if (!in.Bytes(event)) return false;
        read.windowEvents.push_back(event);
    }
    uint32_t live = 0;
    uint32_t obtained = 0;
    if (!in.Number(live) || !in.Number(obtained) || !in.AtEnd()) return false;
    read.liveObjects = int(int32_t(live));
    read.documentsObtained = int(int32_t(obtained));
    page = std::move(read);
    return true;
}

}  // namespace velkaro
