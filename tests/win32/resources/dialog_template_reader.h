#pragma once
// DialogTemplateReader: reads an extended dialog template (DLGTEMPLATEEX, what a DIALOGEX
// statement compiles to) from resource bytes, so that the tests can compare the units, styles
// and texts that were written with the template itself, before any font turns them into pixels.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkaro {

// A name or an ordinal, as templates store menus, classes and control texts.
struct TemplateName {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::wstring text;
};

struct DialogTemplateItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    // The class's name; a predefined class stored as an ordinal is given its name
    // ("Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox").
    std::wstring className;
    TemplateName title;
    std::vector<uint8_t> creationData;
};

struct DialogTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::wstring title;
    // Present when the style has DS_SETFONT.
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::wstring typeface;
    std::vector<DialogTemplateItem> items;
};

class DialogTemplateReader {
public:
    // The template in `size` bytes at `data`; nullopt when it is not an extended template or
    // runs past its end.
    static std::optional<DialogTemplate> Read(const void* data, size_t size);

private:
    DialogTemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Word(uint16_t& value);
    bool Dword(DWORD& value);
    bool Short(short& value);
    bool Byte(uint8_t& value);
    bool String(std::wstring& text);
    bool Name(TemplateName& name);
    bool AlignToDword();
    bool Item(DialogTemplateItem& item);

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace velkaro
