// Fuzzes MessageCipher::Open, the parser of every block that arrives by mail.
// The first input byte chooses the road:
//   even: the rest is the text after the marker, taken as it is (armour, tags, garbage);
//   odd:  the rest is header bytes 12..79 and a body in the clear, which the harness encrypts
//         under the fuzzing key and armours, so that fuzzed lengths and packed streams reach
//         the decoder behind the cipher.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cipher_context.h"
#include "message_cipher.h"
#include "message_sink.h"
#include "password_key.h"
#include "text_limits.h"

namespace {

using namespace velkaro;

class QuietSink : public MessageSink {
public:
    int ShowMessage(uint32_t, uint32_t) override { return 1; }
};

struct Harness {
    Harness() : scratch(kTextBufferCapacity), out(kTextBufferCapacity), cipher(sink, key, tag, scratch.data()) {
        char password[32] = "fuzzing password";
        int32_t present = 0;
        DeriveKey(password, key, present, sink);
    }
    QuietSink sink;
    CipherKey key = {};
    uint8_t tag[36] = {};
    std::vector<uint8_t> scratch;
    std::vector<char> out;
    MessageCipher cipher;
};

std::string EncryptedBlock(const CipherKey& key, const uint8_t* data, size_t size) {
    std::vector<uint8_t> area(80 + size + 8, 0);
    std::memcpy(area.data(), kBlockMarker, 12);
    const size_t headerPart = size < 68 ? size : 68;
    std::memcpy(&area[12], data, headerPart);
    std::memcpy(&area[80], data + headerPart, size - headerPart);
    CipherContext context;
    context.SetKey(key);
    context.StartGamma(&area[20]);
    const uint32_t body = uint32_t(size - headerPart);
    context.ApplyGamma(&area[80], &area[80], body);
    std::vector<char> armour(3 * ((68 + body + 1) / 2) + 1);
    uint32_t n = 68 + body;
    MessageCipher::Armour(&area[12], armour.data(), &n);
    return std::string(kBlockMarker) + std::string(armour.data(), n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness h;
    if (size < 1 || size > 2 * kMaxPlainText) return 0;
    std::string block;
    if (data[0] & 1) {
        block = EncryptedBlock(h.key, data + 1, size - 1);
    } else {
        block = std::string(kBlockMarker) + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    }
    if (block.size() > kMaxPlainText) return 0;  // the program never reads more text than this
    // Exactly as long as the text: anything read beyond it is caught by the sanitizer.
    std::vector<char> text(block.begin(), block.end());
    uint32_t len = uint32_t(text.size());
    if (h.cipher.Open(text.data(), h.out.data(), &len)) {
        if (len > kMaxPlainText || h.out[len] != '\0') __builtin_trap();
    }
    return 0;
}
