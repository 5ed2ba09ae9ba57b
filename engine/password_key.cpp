#include "password_key.h"

#include <cstring>

#include "cipher_context.h"
#include "secure_wipe.h"
#include "string_ids.h"

namespace velkaro {

namespace {

constexpr size_t kExpandedLength = 32;

// The 32-byte key material of a password of length n: the password and its terminating zero
// repeated for n < 32, else its first 32 bytes.
void ExpandPassword(const char* password, size_t n, uint8_t (&expanded)[kExpandedLength]) {
    if (n >= kExpandedLength) {
        std::memcpy(expanded, password, kExpandedLength);
        return;
    }
    for (size_t i = 0; i < kExpandedLength; ++i)
        expanded[i] = uint8_t(password[i % (n + 1)]);  // index n is the terminating zero
}

uint32_t LoadWord(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool DeriveKey(char* password, CipherKey& out, int32_t& keyPresent, MessageSink& messages) {
    CipherContext ctx;
    if (ctx.ok == 0) {
        messages.ShowMessage(IDS_CIPHER_SELFTEST_FAILED, kStyleStop);
        return false;
    }
    const size_t n = std::strlen(password);
    if (n == 0) {
        messages.ShowMessage(IDS_ENTER_PASSWORD, kStyleInformation);
        return false;
    }
    if (n <= 3) {
        messages.ShowMessage(IDS_PASSWORD_TOO_SHORT, kStyleStop);
        return false;
    }

    CipherKey expanded;
    ExpandPassword(password, n, expanded.key);
    expanded.check = 0;  // not verified: SetKey's result is ignored
    SecureWipe(password, kExpandedLength);

    ctx.SetKey(expanded);
    ctx.DeriveCipherKey(kDerivationConstant, out);
    keyPresent = 1;

    SecureWipe(&expanded, sizeof expanded);
    SecureWipe(ctx.K, sizeof ctx.K);
    return true;
}

bool KeyMatchesHeader(const uint8_t header[80], const CipherKey& key, int32_t& keyPresent,
                      MessageSink& messages) {
    CipherContext ctx;
    if (ctx.ok == 0) {
        messages.ShowMessage(IDS_CIPHER_SELFTEST_FAILED, kStyleStop);
        return false;
    }
    bool matches = false;
    if (ctx.SetKey(key)) {
        uint32_t acc[2] = {0, 0};
        ctx.Mac(acc, header, 32);
        matches = acc[0] == LoadWord(header + 36);
    }
    SecureWipe(ctx.K, sizeof ctx.K);
    keyPresent = matches ? 1 : 0;
    return matches;
}

}  // namespace velkaro
