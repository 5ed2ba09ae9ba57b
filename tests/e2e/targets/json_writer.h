#pragma once
// A small streaming JSON writer for the test programs' reports. The caller opens and closes
// objects and arrays in order; the writer places the commas and escapes strings. Strings are
// UTF-8; text from the system comes as UTF-16 and is converted on the way in.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkaro::e2e {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member; only inside an object.
    JsonWriter& Key(const char* name);

    JsonWriter& String(const std::string& utf8);
    // UTF-16 text of `length` units (unpaired surrogates become U+FFFD).
    JsonWriter& String(const wchar_t* text, size_t length);
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // A value that is JSON already (written by another JsonWriter).
    JsonWriter& Raw(const std::string& json);
    // Four integers as an array: a rectangle's left, top, right, bottom.
    JsonWriter& Rect(long left, long top, long right, long bottom);

    const std::string& text() const { return text_; }

private:
    void BeforeValue();
    void AppendQuoted(const std::string& utf8);

    std::string text_;
    // One entry per open object or array: whether it already holds a member.
    std::vector<bool> hasMember_;
    bool afterKey_ = false;
};

// UTF-8 of UTF-16 text; unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(const wchar_t* text, size_t length);

}  // namespace velkaro::e2e
