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
    // The format's window: matches reach back 8192 bytes, and a decoder that keeps its output
    // in a 17,664-byte area moves it on in 8192-byte steps.
    static constexpr uint32_t kWindowSize = 17664;
    // Pack may write this many bytes past n before it notices that the stream is no
    // shorter than the text (a control word and its queued data bytes).
    static constexpr uint32_t kPackSlack = 64;

    Packer() = default;
    // Wipes the byte queue, which holds pieces of the plain text.
    virtual ~Packer();

    // Writes the compressed stream of src[0..n) into dst and returns its length. At each
    // position the longest match (up to 256 bytes) starting within the last 8192 bytes is
    // taken, the nearest of equal lengths; a 2-byte match only within 255 bytes, else a
    // literal. n = 0 gives the end-of-stream token alone. dst must hold n + kPackSlack
    // bytes. A stream that reaches n bytes is never stored (the text is stored plain
    // instead), so packing stops there and returns a value >= n.
    uint16_t Pack(const uint8_t* src, uint8_t* dst, uint16_t n);

    // Decodes the n-byte stream src into dst, writing at most limit bytes. Returns true when
    // the end-of-stream token was reached inside the n bytes; false for a stream that ends
    // before it, that would produce more than limit bytes, or whose match reaches back before
    // the first byte produced. *produced receives the number of bytes written to dst in both
    // cases. Nothing is read past src[n) nor written past dst[limit).
    bool Unpack(const uint8_t* src, uint8_t* dst, uint16_t n, uint16_t limit, uint16_t* produced);

private:
    // Matches reach back at most kMaxDistance bytes and are at most kMaxMatch long.
    static constexpr int32_t kMaxDistance = 8192;
    static constexpr int32_t kMaxMatch = 256;
    static constexpr int32_t kMaxShortDistance = 255;
    static constexpr int32_t kMaxShortLength = 5;
    static constexpr int32_t kMaxPackedLength = 9;
    // Prefix lengths of the two hashed chains (see FindMatch).
    static constexpr int32_t kShortPrefix = 3;
    static constexpr int32_t kLongPrefix = 8;
    static constexpr uint32_t kHashBits = 13;
    // The most data bytes one control word carries: the three of a match whose flags ended
    // the previous word, then seven three-byte matches and a literal within its first 15
    // bits (the token that puts bit 15 queues its bytes for the next word).
    static constexpr uint32_t kQueueCapacity = 25;

    struct Match {
        int32_t length;
        int32_t distance;
    };
    enum class Token { kLiteral, kShort, kLong };

    // Earlier positions sharing a key (a byte value, or a hash of the bytes that start
    // there), newest first. Positions are stored plus one, so 0 means none. prev is a ring
    // over the last kMaxDistance positions, which are all a match can reach: the link of a
    // position stays valid until the position is out of reach.
    template <uint32_t kKeys>
    struct Chain {
        uint16_t head[kKeys];
        uint16_t prev[kMaxDistance];

        void Reset();
        void Link(uint32_t key, int32_t p);
        int32_t Newest(uint32_t key) const { return int32_t(head[key]) - 1; }
        int32_t Before(int32_t p) const { return int32_t(prev[p & (kMaxDistance - 1)]) - 1; }
    };
    using ByteChain = Chain<256>;
    using HashChain = Chain<1u << kHashBits>;

    // Packing: match search.
    void Link(int32_t p);
    Match FindMatch(int32_t j) const;
    Match LongestOnChain(const HashChain& chain, uint32_t key, int32_t j, int32_t floor,
                         int32_t cap) const;
    Match NearbyPair(int32_t j) const;
    uint32_t ShortKey(int32_t p) const;
    uint32_t LongKey(int32_t p) const;
    static Token ChooseToken(const Match& match);

    // Packing: the bit and byte writer.
    void StartOutput(uint8_t* dst);
    void PutToken(Token token, const Match& match, uint8_t literal);
    void PutFlag(uint32_t bit);
    void QueueByte(uint8_t b);
    void WriteWord(uint16_t word);
    void PutEndOfStream();
    uint16_t PackedLength() const;

    // Unpacking: the bit and byte reader; each returns false at the end of the input.
    bool ReadWord();
    bool ReadFlag(uint32_t* bit);
    bool ReadByte(uint8_t* b);
    bool DecodeStream(uint8_t* dst, uint32_t limit, uint32_t* produced);

    // Input of Pack, stream of Unpack.
    const uint8_t* src_ = nullptr;
    int32_t srcLength_ = 0;
    int32_t readPos_ = 0;

    // Output of Pack: the control word being built, its bits and the bytes queued for it.
    uint8_t* dst_ = nullptr;
    uint32_t writePos_ = 0;
    uint16_t control_ = 0;
    uint32_t bitsPut_ = 0;
    uint8_t queue_[kQueueCapacity] = {};
    uint32_t queued_ = 0;

    // Control word being read by Unpack and its bits left.
    uint16_t readControl_ = 0;
    uint32_t bitsLeft_ = 0;

    // Pack's chains: by byte value, by the next kShortPrefix bytes and by the next
    // kLongPrefix bytes.
    ByteChain byByte_;
    HashChain byShortPrefix_;
    HashChain byLongPrefix_;
};

}  // namespace velkaro
