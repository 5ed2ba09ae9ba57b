#pragma once
// Packer: the LZ77 compressor of message bodies, both directions.
//
// Stream: groups of a 16-bit little-endian control word followed by data bytes. Control bits
// are read from bit 0 up; once bit 15 of a word has been read, the next word is read at once,
// before any data byte that follows. Tokens (flag bits, then data bytes):
//   1            b           literal byte b
//   0 0 h l      b           short match, length 2h + l + 2, distance 256 - b (b = 0: 256)
//   0 1          c d         long match, d & 7 != 0: length (d & 7) + 2
//   0 1          c d e       d & 7 == 0: e >= 2 long match of length e + 1; e == 1 no
//                            operation; e == 0 end of stream
// Long distances are 8192 - (((d & 0xF8) << 5) | c), in 1..8192.

#include <cstdint>

namespace velkaro {

class Packer {
public:
    static constexpr uint32_t kWindowSize = 17664;
    // Pack may write this many bytes past n before it notices that the stream is no
    // shorter than the text (a control word and its queued data bytes).
    static constexpr uint32_t kPackSlack = 64;

    Packer() = default;
    virtual ~Packer() = default;

    // Writes the compressed stream of src[0..n) into dst and returns its length. dst must
    // hold n + kPackSlack bytes. A stream that reaches n bytes is never stored (the text is
    // stored plain instead), so packing stops there and returns a value >= n.
    uint16_t Pack(const uint8_t* src, uint8_t* dst, uint16_t n);

    // Decodes the n-byte stream src into dst, writing at most limit bytes. Returns true when
    // the end-of-stream token was reached inside the n bytes; false for a stream that ends
    // before it, or that would produce more than limit bytes. *produced receives the number
    // of bytes written to dst in both cases.
    bool Unpack(const uint8_t* src, uint8_t* dst, uint16_t n, uint16_t limit, uint16_t* produced);

private:
    uint8_t window_[kWindowSize];
    int32_t head_[256];
    int32_t prev_[kWindowSize];
};

}  // namespace velkaro
