#include "message_cipher.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "packer.h"
#include "secure_wipe.h"
#include "string_ids.h"
#include "text_limits.h"

namespace velkaro {
namespace {

// Header offsets.
constexpr uint32_t kPlainLengthAt = 12;
constexpr uint32_t kStoredLengthAt = 16;
constexpr uint32_t kSynchroAt = 20;
constexpr uint32_t kRandomBytes = 16;  // synchro and filler
constexpr uint32_t kHeaderCheckAt = 36;
constexpr uint32_t kTextCheckAt = 40;
constexpr uint32_t kVersionAt = 44;
constexpr uint32_t kHtmlModeAt = 46;
constexpr uint32_t kTagAt = 48;
constexpr uint32_t kTagLength = 32;
constexpr uint32_t kArmouredHeaderBytes = kSealHeaderSize - kBlockMarkerLength;  // 68
// The work area holds the header, the body and the zero padding of an odd byte count.
constexpr uint32_t kWorkAreaExtra = 88;

uint32_t Load32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Store32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Store16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Armour value 0 is "?", 1..62 are the codes 0x41..0x7E, 63 is "#".
char ArmourChar(uint32_t value) {
    if (value == 0) return '?';
    if (value == 63) return '#';
    return char(0x40 + value);
}

// The value of an armour character, or -1 for a character the armour never produces.
int ArmourValue(unsigned char c) {
    if (c == '#') return 63;
    if (c == '?') return 0;
    if (c > 0x40 && c <= 0x7E) return c - 0x40;
    return -1;
}

uint32_t MacOf(CipherContext& context, const uint8_t* data, uint32_t len) {
    uint32_t acc[2] = {0, 0};
    context.Mac(acc, data, len);
    return acc[0];
}

std::unique_ptr<uint8_t[]> NewZeroed(uint32_t size) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

}  // namespace

MessageCipher::MessageCipher(MessageSink& messages, const CipherKey& currentKey,
                             const uint8_t* senderTag, uint8_t* scratch, EntropySource& entropy)
    : messages_(messages),
      currentKey_(currentKey),
      senderTag_(senderTag),
      scratch_(scratch),
      entropy_(entropy) {
    Seed();
}

MessageCipher::~MessageCipher() {
    SecureWipe(&generatorKey_, sizeof generatorKey_);
    SecureWipe(generatorSeed_, sizeof generatorSeed_);
    SecureWipe(message_.K, sizeof message_.K);
    SecureWipe(generator_.K, sizeof generator_.K);
}

bool MessageCipher::Seal(char* text, char* out, uint32_t n) {
    if (n == 0 || n > kMaxPlainText) {
        messages_.ShowMessage(n == 0 ? IDS_INTERNAL_ERROR : IDS_TEXT_TOO_LONG, kStyleStop);
        return false;
    }
    std::unique_ptr<uint8_t[]> area = NewZeroed(n + kWorkAreaExtra);
    if (!area) {
        messages_.ShowMessage(IDS_ALLOC_FAILED, kStyleStop);
        return false;
    }
    uint8_t* plain = reinterpret_cast<uint8_t*>(text);
    message_.SetKey(currentKey_);
    std::memset(out, 0, kSealHeaderSize);

    uint8_t* header = area.get();
    std::memcpy(header, kBlockMarker, kBlockMarkerLength);
    std::memcpy(header + kTagAt, senderTag_, kTagLength);
    Store16(header + kVersionAt, 1);
    Store32(header + kPlainLengthAt, n);
    Store16(header + kHtmlModeAt, htmlMode);
    Store32(header + kTextCheckAt, MacOf(message_, plain, n));

    // The body is stored packed only when that is shorter than the text.
    uint32_t bodyLength = n;
    {
        Packer packer;
        uint32_t packed = packer.Pack(plain, scratch_, uint16_t(n));
        if (packed < n) {
            std::memcpy(plain, scratch_, packed);
            plain[packed] = 0;
            bodyLength = packed;
        }
        SecureWipe(scratch_, (packed < n ? packed : n) + Packer::kPackSlack);
    }
    Store32(header + kStoredLengthAt, bodyLength);
    if (bodyLength > kMaxStoredBody) {
        messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
        return false;
    }
    if (!Random(header + kSynchroAt, kRandomBytes)) {
        messages_.ShowMessage(IDS_INTERNAL_ERROR, kStyleStop);
        return false;
    }
    // The header check covers bytes 0..31; the filler's last four bytes stay outside it.
    Store32(header + kHeaderCheckAt, MacOf(message_, header, 32));

    message_.StartGamma(header + kSynchroAt);
    message_.ApplyGamma(plain, header + kSealHeaderSize, bodyLength);

    // Marker and armour are composed in the scratch buffer, then wrapped into out.
    char* flat = reinterpret_cast<char*>(scratch_);
    std::memcpy(flat, kBlockMarker, kBlockMarkerLength);
    uint32_t armoured = kArmouredHeaderBytes + bodyLength;
    Armour(header + kBlockMarkerLength, flat + kBlockMarkerLength, &armoured);
    uint32_t total = kBlockMarkerLength + armoured;
    WrapLines(flat, out, &total);
    return true;
}

bool MessageCipher::Open(const char* block, char* out, uint32_t* len) {
    const uint32_t total = *len;
    if (total < kBlockMarkerLength) {
        messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
        return false;
    }
    // Unarmouring gives at most two bytes per three characters, so total + 88 bytes hold the
    // header and every body byte the text can carry.
    std::unique_ptr<uint8_t[]> area = NewZeroed(total + kWorkAreaExtra);
    if (!area) {
        messages_.ShowMessage(IDS_ALLOC_FAILED, kStyleStop);
        return false;
    }
    message_.SetKey(currentKey_);
    uint8_t* header = area.get();
    uint32_t decoded = total - kBlockMarkerLength;
    Unarmour(block + kBlockMarkerLength, header + kBlockMarkerLength, &decoded);

    const uint32_t plainLength = Load32(header + kPlainLengthAt);
    const uint32_t storedLength = Load32(header + kStoredLengthAt);
    const bool packed = storedLength != plainLength;
    const uint32_t bodyLength = packed ? storedLength : plainLength;
    // Refuse lengths the decoded text does not carry: a cut or damaged block, never read
    // beyond what was decoded nor written beyond the output buffer.
    if (decoded < kArmouredHeaderBytes || plainLength > kMaxPlainText ||
        bodyLength > kMaxPlainText || bodyLength > decoded - kArmouredHeaderBytes) {
        messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
        return false;
    }

    uint8_t* plain = reinterpret_cast<uint8_t*>(out);
    message_.StartGamma(header + kSynchroAt);
    message_.ApplyGamma(header + kSealHeaderSize, plain, bodyLength);

    if (packed) {
        Packer packer;
        uint16_t produced = 0;
        bool intact = packer.Unpack(plain, scratch_, uint16_t(bodyLength), uint16_t(plainLength),
                                    &produced);
        SecureWipe(plain, bodyLength);
        if (!intact) {
            SecureWipe(scratch_, produced);
            messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
            return false;
        }
        // A stream that ends early leaves the rest zero; the text check then refuses it.
        std::memcpy(plain, scratch_, produced);
        std::memset(plain + produced, 0, plainLength - produced);
        SecureWipe(scratch_, produced);
    }

    const uint32_t textCheck = MacOf(message_, plain, plainLength);
    htmlMode = Load16(header + kHtmlModeAt);
    if (textCheck != Load32(header + kTextCheckAt)) {
        SecureWipe(plain, plainLength);
        messages_.ShowMessage(IDS_TEXT_DAMAGED_OR_WRONG_KEY, kStyleStop);
        return false;
    }
    out[plainLength] = 0;
    *len = plainLength;
    return true;
}

void MessageCipher::Armour(const uint8_t* data, char* out, uint32_t* n) {
    const uint32_t count = *n;
    uint32_t o = 0;
    for (uint32_t i = 0; i < count; i += 2) {
        const uint32_t b1 = i + 1 < count ? data[i + 1] : 0;  // an odd count is padded with 0
        const uint32_t w = uint32_t(data[i]) << 8 | b1;
        out[o++] = ArmourChar(w & 63);
        out[o++] = ArmourChar((w >> 6) & 63);
        out[o++] = ArmourChar(w >> 12);
    }
    out[o] = 0;
    *n = o;
}

void MessageCipher::Unarmour(const char* text, uint8_t* out, uint32_t* n) {
    const uint32_t count = *n;
    uint32_t produced = 0;
    uint32_t group[3];
    int inGroup = 0;
    bool inTag = false;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // Mail software inserts HTML tags, line breaks and spaces into the armour.
        if (c == '<') {
            inTag = true;
            continue;
        }
        if (c == '>') {
            inTag = false;
            continue;
        }
        if (inTag) continue;
        const int value = ArmourValue(c);
        if (value < 0) continue;
        group[inGroup++] = uint32_t(value);
        if (inGroup == 3) {
            const uint32_t w = ((group[2] << 12) + (group[1] << 6) + group[0]) & 0xFFFF;
            out[produced++] = uint8_t(w >> 8);
            out[produced++] = uint8_t(w);
            inGroup = 0;
        }
    }
    *n = produced;
}

void MessageCipher::WrapLines(const char* in, char* out, uint32_t* n) {
    const uint32_t count = *n;
    uint32_t o = 0;
    for (uint32_t i = 0; i < count; ++i) {
        out[o++] = in[i];
        if ((i + 1) % kArmourLineLength == 0) {
            out[o++] = '\r';
            out[o++] = '\n';
        }
    }
    out[o] = 0;
    *n = o;
}

bool MessageCipher::Random(uint8_t* out, uint32_t n) {
    // A source that failed at construction is asked again: it may have recovered.
    if (!seeded_ && !Seed()) return false;
    if (!generator_.ok || !generator_.SetKey(generatorKey_)) return false;
    // Every call re-keys the generator with the constant decrypted under its old key.
    generator_.DeriveCipherKey(kDerivationConstant, generatorKey_);
    uint8_t synchro[8];
    Store32(synchro, generatorSeed_[0]);
    Store32(synchro + 4, generatorSeed_[1]);
    generator_.StartGamma(synchro);

    uint32_t done = 0;
    for (; n - done >= 32; done += 32) generator_.ApplyGamma(generatorKey_.key, out + done, 32);
    if (done < n) {
        uint8_t chunk[32];
        generator_.ApplyGamma(generatorKey_.key, chunk, 32);
        std::memcpy(out + done, chunk, n - done);
        SecureWipe(chunk, sizeof chunk);
    }
    generatorSeed_[0] = generator_.N1;
    generatorSeed_[1] = generator_.N2;
    return true;
}

bool MessageCipher::Seed() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return Seed(uint32_t(std::time(nullptr)), uint32_t(ms % 1000));
}

bool MessageCipher::Seed(uint32_t seconds, uint32_t milliseconds) {
    uint8_t system[32];
    seeded_ = entropy_.Fill(system, sizeof system);
    if (!seeded_) {
        SecureWipe(system, sizeof system);
        SecureWipe(&generatorKey_, sizeof generatorKey_);
        return false;
    }
    // A fresh context holds the self-test key, under which the seed bytes are decrypted.
    generator_ = CipherContext();
    std::srand(seconds);
    uint8_t s = uint8_t(milliseconds);
    uint8_t g[32];
    for (size_t i = 0; i < sizeof g; ++i) {
        g[i] = uint8_t((std::rand() & 0xFF) + s);
        s = uint8_t(g[i] ^ s ^ 0x55);
    }
    for (size_t i = 0; i < sizeof g; ++i) g[i] ^= system[i];
    generator_.DeriveCipherKey(g, generatorKey_);
    generatorSeed_[0] = generator_.N1;
    generatorSeed_[1] = generator_.N2;
    SecureWipe(g, sizeof g);
    SecureWipe(system, sizeof system);
    return true;
}

bool FindBlockMarker(const char* text, int32_t* pos, uint32_t len, const char* marker) {
    const size_t m = std::strlen(marker);
    if (m == 0) return false;
    uint32_t i = 0;
    while (i < len) {
        if (text[i] != marker[0]) {
            ++i;
            continue;
        }
        size_t matched = 1;
        uint32_t k = i;
        while (matched < m) {
            if (++k >= len) return false;
            // Line breaks, spaces, control bytes and every byte from 0x7F on are passed over.
            const signed char c = static_cast<signed char>(text[k]);
            if (c < 0x21 || c == 0x7F) continue;
            if (text[k] != marker[matched]) break;
            ++matched;
        }
        if (matched == m) {
            *pos = int32_t(k) - 11;
            return true;
        }
        i = k;  // the printable byte that broke the match may start the next one
    }
    return false;
}

}  // namespace velkaro
