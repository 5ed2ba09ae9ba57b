// Charset on Linux: iconv between the named charset and UCS-4LE.
#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "charset.h"
#include "secure_wipe.h"

namespace velkaro {
namespace {

constexpr char kCodePoints[] = "UCS-4LE";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

char32_t LoadCodePoint(const uint8_t* p) {
    return char32_t(p[0]) | char32_t(p[1]) << 8 | char32_t(p[2]) << 16 | char32_t(p[3]) << 24;
}

class IconvCharset : public Charset {
public:
    IconvCharset(iconv_t decoder, iconv_t encoder) : decoder_(decoder), encoder_(encoder) {}
    ~IconvCharset() override {
        iconv_close(decoder_);
        iconv_close(encoder_);
    }

    Step Decode(const uint8_t** in, const uint8_t* end, char32_t* cp) override {
        // An output room of one code point makes iconv stop after one character.
        uint8_t unit[4];
        char* src = const_cast<char*>(reinterpret_cast<const char*>(*in));
        size_t srcLeft = size_t(end - *in);
        char* dst = reinterpret_cast<char*>(unit);
        size_t dstLeft = sizeof unit;
        size_t result = iconv(decoder_, &src, &srcLeft, &dst, &dstLeft);
        if (dstLeft == 0) {
            // One character, whatever iconv says about the bytes after it.
            *in = reinterpret_cast<const uint8_t*>(src);
            *cp = LoadCodePoint(unit);
            SecureWipe(unit, sizeof unit);
            return Step::kCharacter;
        }
        // iconv keeps its state on an invalid sequence (a UTF-16 byte order stays known).
        if (result == size_t(-1)) return Step::kInvalid;
        *in = reinterpret_cast<const uint8_t*>(src);
        return Step::kEnd;
    }

    bool Encode(char32_t cp, uint8_t* out, size_t* n) override {
        uint8_t unit[4] = {uint8_t(cp), uint8_t(cp >> 8), uint8_t(cp >> 16), uint8_t(cp >> 24)};
        char* src = reinterpret_cast<char*>(unit);
        size_t srcLeft = sizeof unit;
        char* dst = reinterpret_cast<char*>(out);
        size_t dstLeft = kMaxCharBytes;
        size_t result = iconv(encoder_, &src, &srcLeft, &dst, &dstLeft);
        SecureWipe(unit, sizeof unit);
        if (result == size_t(-1) || result > 0) {
            // result > 0 counts characters iconv replaced by something else (glibc's
            // transliteration): that is a character the charset cannot hold either.
            iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        *n = kMaxCharBytes - dstLeft;
        return true;
    }

    size_t Finish(uint8_t* out) override {
        char* dst = reinterpret_cast<char*>(out);
        size_t dstLeft = kMaxCharBytes;
        iconv(encoder_, nullptr, nullptr, &dst, &dstLeft);
        return kMaxCharBytes - dstLeft;
    }

    void Reset() override {
        iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
        iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
    }

private:
    iconv_t decoder_;
    iconv_t encoder_;
};

}  // namespace

std::unique_ptr<Charset> Charset::Open(const std::string& name) {
    if (name.empty()) return nullptr;
    iconv_t decoder = iconv_open(kCodePoints, name.c_str());
    if (decoder == kNoConverter) return nullptr;
    iconv_t encoder = iconv_open(name.c_str(), kCodePoints);
    if (encoder == kNoConverter) {
        iconv_close(decoder);
        return nullptr;
    }
    return std::make_unique<IconvCharset>(decoder, encoder);
}

std::string Charset::TerminalName() {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
        return "UTF-8";
    }
    return codeset;
}

}  // namespace velkaro
