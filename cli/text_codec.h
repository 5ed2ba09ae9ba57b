#pragma once
// TextCodec: texts between a user's charset and CP1251, the engine's text.
//
// "CP1251" (and "WINDOWS-1251") means raw bytes: nothing is converted. Any other charset is
// decoded to Unicode by the platform's Charset and mapped through our own CP1251 table.
// A character that cannot be converted stops the conversion with its position, unless the
// conversion is lossy, in which case it becomes "?".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "charset.h"
#include "secret_buffer.h"

namespace velkaro {

// Why a conversion stopped, and where. Lines and columns count characters from 1; a line
// ends with LF.
struct ConversionFailure {
    enum class Kind {
        kNone,
        kInvalidInput,  // bytes that are no character of the source charset
        kNotInCp1251,   // a character CP1251 cannot hold
        kNotInCharset,  // a CP1251 character the target charset cannot hold
        kTooLong,       // the result does not fit the output buffer
    };
    Kind kind = Kind::kNone;
    size_t line = 0;
    size_t column = 0;
    size_t byteOffset = 0;  // of the input bytes that stopped the conversion
    char32_t codePoint = 0;
};

class TextCodec {
public:
    // A codec for the charset `name`; nullptr when the platform does not know it.
    static std::unique_ptr<TextCodec> Open(const std::string& name);

    const std::string& Name() const { return name_; }
    bool IsRaw() const { return charset_ == nullptr; }

    // Converts n bytes in this charset to CP1251 into out, replacing its content; out keeps
    // room for a terminating zero, which is written. A leading byte-order mark is dropped.
    bool Import(const uint8_t* in, size_t n, bool lossy, SecretBuffer& out, ConversionFailure& failure);
    // Converts n CP1251 bytes to this charset into out, replacing its content.
    bool Export(const uint8_t* in, size_t n, bool lossy, SecretBuffer& out, ConversionFailure& failure);
    // A UTF-8 text (messages) in this charset; what cannot be converted becomes "?".
    std::string ExportUtf8(const std::string& utf8);

    // Output room that always holds the conversion of n CP1251 bytes.
    static size_t ExportCapacity(size_t n) { return n * 4 + Charset::kMaxCharBytes * 2; }
    // Input bytes beyond which no text converts to at most n CP1251 bytes.
    static size_t ImportLimit(size_t n) { return n * 4 + Charset::kMaxCharBytes; }

private:
    TextCodec(std::string name, std::unique_ptr<Charset> charset)
        : name_(std::move(name)), charset_(std::move(charset)) {}

    std::string name_;
    std::unique_ptr<Charset> charset_;  // null: raw CP1251
};

}  // namespace velkaro
