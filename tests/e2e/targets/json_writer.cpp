#include "json_writer.h"

#include <cstdio>

namespace velkaro::e2e {

namespace {

void AppendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Utf8FromUtf16(const wchar_t* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t unit = static_cast<uint16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        AppendCodePoint(out, unit);
    }
    return out;
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMember_.empty()) {
        if (hasMember_.back()) text_ += ',';
        hasMember_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    hasMember_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += '}';
    hasMember_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    hasMember_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += ']';
    hasMember_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(const char* name) {
    BeforeValue();
    AppendQuoted(name);
    text_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& utf8) {
    BeforeValue();
    AppendQuoted(utf8);
    return *this;
}

void JsonWriter::AppendQuoted(const std::string& utf8) {
    text_ += '"';
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': text_ += "\\\""; break;
            case '\\': text_ += "\\\\"; break;
            case '\n': text_ += "\\n"; break;
            case '\r': text_ += "\\r"; break;
            case '\t': text_ += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    text_ += escaped;
                } else {
                    text_ += static_cast<char>(c);
                }
        }
    }
    text_ += '"';
}

JsonWriter& JsonWriter::String(const wchar_t* text, size_t length) {
    return String(Utf8FromUtf16(text, length));
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::UInt(uint64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

JsonWriter& JsonWriter::Raw(const std::string& json) {
    BeforeValue();
    text_ += json;
    return *this;
}

JsonWriter& JsonWriter::Rect(long left, long top, long right, long bottom) {
    BeginArray();
    Int(left).Int(top).Int(right).Int(bottom);
    return EndArray();
}

}  // namespace velkaro::e2e
