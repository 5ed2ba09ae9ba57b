#include "text_codec.h"

#include <cctype>

#include "cp1251.h"
#include "secure_wipe.h"
#include "utf8.h"

namespace velkaro {
namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;
constexpr uint8_t kReplacement = '?';

bool IsRawName(std::string name) {
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    return name == "CP1251" || name == "WINDOWS-1251";
}

// Line and column of the next character, as characters pass.
class Position {
public:
    void Pass(char32_t cp) {
        if (cp == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
    }
    void Fail(ConversionFailure& f, ConversionFailure::Kind kind, size_t byteOffset, char32_t cp) const {
        f.kind = kind;
        f.line = line_;
        f.column = column_;
        f.byteOffset = byteOffset;
        f.codePoint = cp;
    }

private:
    size_t line_ = 1;
    size_t column_ = 1;
};

// Appends and keeps one byte free for the terminating zero.
bool AppendKeepingZero(SecretBuffer& out, const uint8_t* p, size_t n) {
    if (out.size() + n >= out.capacity()) return false;
    return out.Append(p, n);
}

// CP1251 in and out: the bytes pass unchanged.
bool CopyRaw(const uint8_t* in, size_t n, SecretBuffer& out, ConversionFailure& failure) {
    if (!AppendKeepingZero(out, in, n)) {
        Position().Fail(failure, ConversionFailure::Kind::kTooLong, n, 0);
        return false;
    }
    out.Terminate();
    return true;
}

}  // namespace

std::unique_ptr<TextCodec> TextCodec::Open(const std::string& name) {
    if (IsRawName(name)) return std::unique_ptr<TextCodec>(new TextCodec(name, nullptr));
    std::unique_ptr<Charset> charset = Charset::Open(name);
    if (!charset) return nullptr;
    return std::unique_ptr<TextCodec>(new TextCodec(name, std::move(charset)));
}

bool TextCodec::Import(const uint8_t* in, size_t n, bool lossy, SecretBuffer& out,
                       ConversionFailure& failure) {
    out.Clear();
    failure = ConversionFailure();
    Position position;
    if (IsRaw()) return CopyRaw(in, n, out, failure);
    charset_->Reset();
    const uint8_t* p = in;
    const uint8_t* end = in + n;
    bool first = true;
    while (p < end) {
        char32_t cp = 0;
        uint8_t byte = kReplacement;
        const uint8_t* start = p;
        Charset::Step step = charset_->Decode(&p, end, &cp);
        if (step == Charset::Step::kEnd) break;
        if (step == Charset::Step::kInvalid) {
            if (!lossy) {
                position.Fail(failure, ConversionFailure::Kind::kInvalidInput, size_t(start - in), 0);
                out.Clear();
                return false;
            }
            ++p;  // the bad byte becomes "?", decoding goes on after it
            cp = kReplacement;
        } else if (first && cp == kByteOrderMark) {
            first = false;
            continue;
        } else if (!Cp1251::FromUnicode(cp, &byte)) {
            if (!lossy) {
                position.Fail(failure, ConversionFailure::Kind::kNotInCp1251, size_t(start - in), cp);
                out.Clear();
                return false;
            }
            byte = kReplacement;
        }
        first = false;
        if (!AppendKeepingZero(out, &byte, 1)) {
            position.Fail(failure, ConversionFailure::Kind::kTooLong, size_t(start - in), cp);
            out.Clear();
            return false;
        }
        position.Pass(cp);
    }
    out.Terminate();
    return true;
}

bool TextCodec::Export(const uint8_t* in, size_t n, bool lossy, SecretBuffer& out,
                       ConversionFailure& failure) {
    out.Clear();
    failure = ConversionFailure();
    Position position;
    if (IsRaw()) return CopyRaw(in, n, out, failure);
    charset_->Reset();
    uint8_t encoded[Charset::kMaxCharBytes];
    bool ok = true;
    for (size_t i = 0; i < n && ok; ++i) {
        char32_t cp = Cp1251::ToUnicode(in[i]);
        size_t length = 0;
        if (!charset_->Encode(cp, encoded, &length)) {
            if (!lossy || !charset_->Encode(kReplacement, encoded, &length)) {
                position.Fail(failure, ConversionFailure::Kind::kNotInCharset, i, cp);
                ok = false;
                break;
            }
        }
        if (!AppendKeepingZero(out, encoded, length)) {
            position.Fail(failure, ConversionFailure::Kind::kTooLong, i, cp);
            ok = false;
            break;
        }
        position.Pass(cp);
    }
    if (ok) {
        size_t length = charset_->Finish(encoded);
        if (!AppendKeepingZero(out, encoded, length)) {
            position.Fail(failure, ConversionFailure::Kind::kTooLong, n, 0);
            ok = false;
        }
    }
    SecureWipe(encoded, sizeof encoded);
    if (!ok) {
        out.Clear();
        return false;
    }
    out.Terminate();
    return true;
}

std::string TextCodec::ExportUtf8(const std::string& utf8) {
    std::string out;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const uint8_t* end = p + utf8.size();
    if (IsRaw()) return Cp1251::FromUtf8(utf8);
    charset_->Reset();
    uint8_t encoded[Charset::kMaxCharBytes];
    while (p < end) {
        char32_t cp = kReplacement;
        if (!Utf8::Decode(&p, end, &cp)) ++p;
        size_t length = 0;
        if (!charset_->Encode(cp, encoded, &length) && !charset_->Encode(kReplacement, encoded, &length)) {
            continue;
        }
        out.append(reinterpret_cast<const char*>(encoded), length);
    }
    size_t length = charset_->Finish(encoded);
    out.append(reinterpret_cast<const char*>(encoded), length);
    return out;
}

}  // namespace velkaro
