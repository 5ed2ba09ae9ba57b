#pragma once
// Keys from passwords, and the test whether a key sealed a given message.

#include <cstdint>

#include "cipher_key.h"
#include "message_sink.h"

namespace velkaro {

// Derives the key of a NUL-terminated CP1251 password held in a buffer of at least 32 bytes.
// The password expanded to 32 bytes (repeated with its terminating zero, or its first 32
// bytes) is the key under which the derivation constant is decrypted block by block; the
// first 32 bytes of the password buffer are zeroed. On success fills out, sets
// keyPresent = 1 and returns true. Failures show their message and change nothing:
// 5 (self-test failed, stop icon), 4 (empty password, information icon),
// 6 (1 to 3 characters, stop icon).
bool DeriveKey(char* password, CipherKey& out, int32_t& keyPresent, MessageSink& messages);

// Is key the one that sealed the message whose 80-byte header is given? Reads header bytes
// 0..39 only: the key's check value must verify and the MAC of bytes 0..31 must equal the
// header check (bytes 36..39). Sets keyPresent to the result, except when the cipher's
// self-test fails (message 5, keyPresent unchanged, false).
bool KeyMatchesHeader(const uint8_t header[80], const CipherKey& key, int32_t& keyPresent,
                      MessageSink& messages);

}  // namespace velkaro
