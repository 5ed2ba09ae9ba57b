#pragma once
// CipherKey: the key record stored, compared and cached by the program.

#include <cstdint>

namespace velkaro {

// 32 key bytes followed by the key's check value: the first word of the MAC of the
// derivation constant under the key. Two keys with equal check values are the same key.
struct CipherKey {
    uint8_t key[32];
    uint32_t check;  // little-endian in memory on every target we build for
};
static_assert(sizeof(CipherKey) == 36, "CipherKey is exchanged as 36 bytes");

}  // namespace velkaro
