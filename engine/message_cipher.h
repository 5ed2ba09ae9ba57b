#pragma once
// MessageCipher: seals a plain text into an armoured block and opens it again.
//
// Sealed header (80 bytes, little-endian integers):
//   0..11  "[!dgt_encry]"        12..15 plain length     16..19 stored length (!= plain: packed)
//   20..27 gamma synchro         28..35 random filler    36..39 MAC of bytes 0..31
//   40..43 MAC of the plain text 44..45 version (1)      46..47 htmlMode
//   48..79 sender tag
// The body follows at byte 80, gamma-encrypted with the synchro. The armoured block is the
// marker followed by the armour of header bytes 12..79 and the body, with CR LF after every
// 50th character counting from the marker's "[".

#include <cstdint>

#include "cipher_context.h"
#include "cipher_key.h"
#include "entropy_source.h"
#include "message_sink.h"

namespace velkaro {

class MessageCipher {
public:
    // currentKey and senderTag (32 bytes read) belong to the application state and are read
    // at every Seal and Open; scratch is the application's scratch buffer of
    // kTextBufferCapacity bytes, used as working memory and holding nothing across calls.
    // The constructor seeds the random generator from the clock and `entropy`.
    //
    // The message context is a member rather than a separate heap object, so it exists
    // whenever the MessageCipher does: there is no half-built state in which Seal and Open
    // would have to refuse for want of it.
    MessageCipher(MessageSink& messages, const CipherKey& currentKey, const uint8_t* senderTag,
                  uint8_t* scratch, EntropySource& entropy = SystemEntropy());
    virtual ~MessageCipher();

    // Seals text[0..n), 1 <= n <= 64000, under currentKey into out as the zero-terminated
    // armoured block (out holds kTextBufferCapacity bytes). text may be overwritten with its
    // packed form. Failures show their message (1, 2 or 32817, stop icon) and return false.
    bool Seal(char* text, char* out, uint32_t n);

    // Opens the block at `block` (its "["), *len characters long up to the end of the text,
    // into out (kTextBufferCapacity bytes) as zero-terminated plain text; *len becomes its
    // length and htmlMode is taken from the header. Damaged blocks (lengths beyond what was
    // decoded, packed data that does not unpack within the plain length) give 32817; a text
    // check mismatch (wrong key, damaged text) gives 3. Nothing is read or written out of
    // bounds whatever the input.
    bool Open(const char* block, char* out, uint32_t* len);

    // n bytes become 3 * ceil(n / 2) armour characters and a terminating zero; *n becomes the
    // character count. Alphabet: 0 "?", 1..62 the codes 0x41..0x7E, 63 "#".
    static void Armour(const uint8_t* data, char* out, uint32_t* n);
    // Decodes the first *n characters of text, skipping "@", HTML tags and any character
    // outside the alphabet; every three accepted characters give two bytes (a trailing group
    // of one or two characters gives none). *n becomes the number of bytes written.
    static void Unarmour(const char* text, uint8_t* out, uint32_t* n);
    // Copies in[0..*n) to out with CR LF after every 50th character, zero-terminated; *n
    // becomes the output length. in and out must not overlap.
    static void WrapLines(const char* in, char* out, uint32_t* n);

    // n random bytes from the cipher-based generator; false when it is unseeded (the
    // entropy source failed, now and again on this call), or its key or self-test fails.
    bool Random(uint8_t* out, uint32_t n);
    // Seeds the generator: 32 bytes from the runtime's rand seeded with `seconds`, mixed with
    // the low byte of `milliseconds`, each XORed with a byte of the entropy source, decrypted
    // under the self-test key. With a source that gives zeros the seed depends on the time
    // alone. When the source fails the generator stays unseeded and false is returned: a
    // seed from the clock alone would repeat across processes started together. Seed()
    // reads the clock.
    bool Seed();
    bool Seed(uint32_t seconds, uint32_t milliseconds);

    // The document kind of the current request: 1 = HTML mail view, else 0. Written into
    // every sealed header, and taken from the header by Open.
    uint16_t htmlMode = 0;

private:
    MessageSink& messages_;
    const CipherKey& currentKey_;
    const uint8_t* senderTag_;
    uint8_t* scratch_;
    EntropySource& entropy_;

    CipherContext generator_;
    bool seeded_ = false;
    CipherContext message_;
    uint32_t generatorSeed_[2] = {};
    CipherKey generatorKey_ = {};
};

// Searches the first len bytes of text for marker, passing over every byte outside
// 0x21..0x7E between the marker's characters (line breaks, spaces, bytes from 0x80 on).
// On success *pos = (index of the byte that matched the last character) - 11, which is the
// index of the "[" of an unbroken 12-character block marker.
bool FindBlockMarker(const char* text, int32_t* pos, uint32_t len, const char* marker);

}  // namespace velkaro
