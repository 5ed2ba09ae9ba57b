#include "dialog_template_reader.h"

#include <cstring>

namespace velkaro {
namespace {

// The predefined classes a template may name by ordinal.
std::wstring PredefinedClass(uint16_t ordinal) {
    switch (ordinal) {
        case 0x0080: return L"Button";
        case 0x0081: return L"Edit";
        case 0x0082: return L"Static";
        case 0x0083: return L"ListBox";
        case 0x0084: return L"ScrollBar";
        case 0x0085: return L"ComboBox";
        default: return L"#" + std::to_wstring(ordinal);
    }
}

}  // namespace

std::optional<DialogTemplate> DialogTemplateReader::Read(const void* data, size_t size) {
    DialogTemplateReader reader(static_cast<const uint8_t*>(data), size);
    uint16_t version = 0, signature = 0, count = 0;
    DialogTemplate result;
    if (!reader.Word(version) || !reader.Word(signature) || version != 1 || signature != 0xFFFF)
        return std::nullopt;
    if (!reader.Dword(result.helpId) || !reader.Dword(result.exStyle) || !reader.Dword(result.style) ||
        !reader.Word(count) || !reader.Short(result.x) || !reader.Short(result.y) ||
        !reader.Short(result.cx) || !reader.Short(result.cy) || !reader.Name(result.menu) ||
        !reader.Name(result.windowClass) || !reader.String(result.title))
        return std::nullopt;
    if (result.style & (DS_SETFONT | DS_SHELLFONT)) {
        if (!reader.Word(result.pointSize) || !reader.Word(result.weight) || !reader.Byte(result.italic) ||
            !reader.Byte(result.charset) || !reader.String(result.typeface))
            return std::nullopt;
    }
    for (uint16_t i = 0; i < count; ++i) {
        DialogTemplateItem item;
        if (!reader.Item(item)) return std::nullopt;
        result.items.push_back(std::move(item));
    }
    return result;
}

bool DialogTemplateReader::Item(DialogTemplateItem& item) {
    // Every item starts on a DWORD boundary of the template.
    if (!AlignToDword() || !Dword(item.helpId) || !Dword(item.exStyle) || !Dword(item.style) ||
        !Short(item.x) || !Short(item.y) || !Short(item.cx) || !Short(item.cy) || !Dword(item.id))
        return false;
    TemplateName windowClass;
    uint16_t extra = 0;
    if (!Name(windowClass) || !Name(item.title) || !Word(extra)) return false;
    item.className = windowClass.isOrdinal ? PredefinedClass(windowClass.ordinal) : windowClass.text;
    if (extra > size_ - at_) return false;
    item.creationData.assign(data_ + at_, data_ + at_ + extra);
    at_ += extra;
    return true;
}

bool DialogTemplateReader::Word(uint16_t& value) {
    if (size_ - at_ < 2) return false;
    std::memcpy(&value, data_ + at_, 2);
    at_ += 2;
    return true;
}

bool DialogTemplateReader::Dword(DWORD& value) {
    if (size_ - at_ < 4) return false;
    std::memcpy(&value, data_ + at_, 4);
    at_ += 4;
    return true;
}

bool DialogTemplateReader::Short(short& value) {
    uint16_t word = 0;
    if (!Word(word)) return false;
    value = static_cast<short>(word);
    return true;
}

bool DialogTemplateReader::Byte(uint8_t& value) {
    if (size_ - at_ < 1) return false;
    value = data_[at_++];
    return true;
}

bool DialogTemplateReader::String(std::wstring& text) {
    text.clear();
    for (;;) {
        uint16_t unit = 0;
        if (!Word(unit)) return false;
        if (unit == 0) return true;
        text.push_back(static_cast<wchar_t>(unit));
    }
}

bool DialogTemplateReader::Name(TemplateName& name) {
    name = TemplateName();
    uint16_t first = 0;
    if (!Word(first)) return false;
    if (first == 0) return true;  // none
    if (first == 0xFFFF) {
        name.isOrdinal = true;
        return Word(name.ordinal);
    }
    at_ -= 2;
    return String(name.text);
}

bool DialogTemplateReader::AlignToDword() {
    const size_t aligned = (at_ + 3) & ~size_t(3);
    if (aligned > size_) return false;
    at_ = aligned;
    return true;
}

}  // namespace velkaro
