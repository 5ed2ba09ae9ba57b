#pragma once
// CipherContext: the GOST 28147-89 block cipher with its gamma (counter) mode and 32-bit MAC.
//
// Blocks are held in the register pair N1, N2: N1 = bytes 0..3 and N2 = bytes 4..7 of a
// block, both little-endian. Other engine code reads and writes N1, N2 directly.

#include <cstdint>

#include "cipher_key.h"

namespace velkaro {

// A substitution box stored as 64 bytes: entry 4*i + t, for input nibble i = 0..15 and row
// pair t = 0..3, is (K(2t+2)[i] << 4) | K(2t+1)[i].
using SubstitutionBox = uint8_t[64];

// id-Gost28147-89-TestParamSet (RFC 4357): the box of every message this program seals.
extern const SubstitutionBox kTestParamSetBox;
// id-Gost28147-89-CryptoPro-A-ParamSet (RFC 4357): used only to check the round code
// against OpenSSL's GOST engine, whose gost89-cnt and gost-mac use this box.
extern const SubstitutionBox kCryptoProABox;

// The 32-byte known plaintext behind every key check value and key derivation.
extern const uint8_t kDerivationConstant[32];

class CipherContext {
public:
    // Expands the box and runs SelfTest. ok = 1 only when every one of its twelve checks
    // passed. Afterwards K holds the self-test key (the random generator relies on this).
    // The self-test's expected values belong to the test box: with another box ok is 0,
    // but the round code works all the same (that is how the cross-check uses it).
    explicit CipherContext(const SubstitutionBox& box = kTestParamSetBox);
    virtual ~CipherContext() = default;

    // Loads K from rec's 32 key bytes. True when the first MAC word of the derivation
    // constant under the new key equals rec.check. The key stays loaded either way;
    // N1 and N2 are unchanged.
    bool SetKey(const CipherKey& rec);

    // The 32-round encryption / decryption cycle on (N1, N2), in place.
    void EncryptBlock();
    void DecryptBlock();

    // Gamma mode. StartGamma encrypts the synchro into the counters N3, N4. ApplyGamma XORs
    // len bytes with the gamma; in and out may be the same buffer; the counters carry on
    // from call to call (a short last block still advances them once). Afterwards N1, N2
    // hold the last gamma block.
    void StartGamma(const uint8_t synchro[8]);
    void ApplyGamma(const uint8_t* in, uint8_t* out, uint32_t len);

    // Folds data into the 64-bit accumulator acc (callers zero it first and use acc[0] as
    // the MAC). A short last block is zero-padded; empty data leaves acc unchanged.
    // N1 and N2 are restored afterwards.
    void Mac(uint32_t acc[2], const uint8_t* data, uint32_t len);

    // Decrypts the four blocks of source under the current key into out.key, loads that as
    // the key and sets out.check. source and out may overlap completely. Afterwards N1, N2
    // hold the last decrypted block (words 6 and 7 of the new key).
    void DeriveCipherKey(const uint8_t source[32], CipherKey& out);

    // Known-answer test of SetKey, EncryptBlock, StartGamma, ApplyGamma and Mac under the
    // test key; counts its passed checks down from 12.
    bool SelfTest();

    // Members in the order the format's description gives them.
    int32_t ok = 0;
    uint32_t K[8] = {};
    uint32_t N1 = 0, N2 = 0;
    uint32_t T[4][256];  // expanded substitution: T[t][x] substitutes byte t of a word
    uint32_t N3 = 0, N4 = 0;

private:
    uint32_t Substitute(uint32_t x) const;
    void Round(uint32_t k);
    void MacCycle();
    int selfTestChecksLeft_ = 12;
};

}  // namespace velkaro
