#include "packer.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>

#include "secure_wipe.h"

namespace velkaro {

namespace {

// The long token's byte d keeps the length in its low three bits; 0 there means that a
// third byte e follows (e = 0: end of stream, e = 1: no operation, else length e + 1).
constexpr uint8_t kLengthBits = 0x07;
constexpr uint8_t kDistanceHighBits = 0xF8;
constexpr uint8_t kEndOfStream = 0;
constexpr uint8_t kNoOperation = 1;

}  // namespace

Packer::~Packer() { SecureWipe(queue_, sizeof queue_); }

// ---- Packing ------------------------------------------------------------------------------

uint16_t Packer::Pack(const uint8_t* src, uint8_t* dst, uint16_t n) {
    src_ = src;
    srcLength_ = n;
    StartOutput(dst);
    byByte_.Reset();
    byShortPrefix_.Reset();
    byLongPrefix_.Reset();

    for (int32_t j = 0; j < srcLength_; ++j) {
        const Match match = FindMatch(j);
        const Token token = ChooseToken(match);
        PutToken(token, match, src_[j]);
        // Positions join the chains only after the search at them, so a chain holds earlier
        // positions alone, and the ring slot of the farthest one in reach is still its own.
        const int32_t covered = token == Token::kLiteral ? 1 : match.length;
        for (int32_t k = 0; k < covered; ++k) Link(j + k);
        j += covered - 1;
        // A stream this long is never stored, so there is no point in finishing it.
        if (writePos_ >= n) return PackedLength();
    }

    PutEndOfStream();
    // The last word goes out even when it holds no bit, with its first bit moved to bit 0.
    WriteWord(static_cast<uint16_t>(control_ >> (16 - bitsPut_)));
    return PackedLength();
}

// A stream cut short at a text of 65,535 bytes may have passed 16 bits; any value >= n
// tells the caller the same.
uint16_t Packer::PackedLength() const {
    return static_cast<uint16_t>(std::min<uint32_t>(writePos_, 0xFFFF));
}

template <uint32_t kKeys>
void Packer::Chain<kKeys>::Reset() {
    std::fill(std::begin(head), std::end(head), uint16_t{0});
}

template <uint32_t kKeys>
void Packer::Chain<kKeys>::Link(uint32_t key, int32_t p) {
    prev[p & (kMaxDistance - 1)] = head[key];
    head[key] = static_cast<uint16_t>(p + 1);
}

// Every position joins the chains whose prefix fits in the text.
void Packer::Link(int32_t p) {
    byByte_.Link(src_[p], p);
    if (p + kShortPrefix <= srcLength_) byShortPrefix_.Link(ShortKey(p), p);
    if (p + kLongPrefix <= srcLength_) byLongPrefix_.Link(LongKey(p), p);
}

uint32_t Packer::ShortKey(int32_t p) const {
    const uint32_t bytes = src_[p] | (uint32_t{src_[p + 1]} << 8) | (uint32_t{src_[p + 2]} << 16);
    return (bytes * 2654435761u) >> (32 - kHashBits);
}

uint32_t Packer::LongKey(int32_t p) const {
    uint64_t bytes = 0;
    std::memcpy(&bytes, src_ + p, sizeof bytes);
    return static_cast<uint32_t>((bytes * 0x9E3779B97F4A7C15u) >> (64 - kHashBits));
}

namespace {

// Length of the common prefix of a and b, at most cap; whole words first.
int32_t CommonLength(const uint8_t* a, const uint8_t* b, int32_t cap) {
    int32_t length = 0;
    while (length + 8 <= cap) {
        uint64_t x = 0;
        uint64_t y = 0;
        std::memcpy(&x, a + length, sizeof x);
        std::memcpy(&y, b + length, sizeof y);
        if (x != y) break;
        length += 8;
    }
    while (length < cap && a[length] == b[length]) ++length;
    return length;
}

}  // namespace

// The match is the longest one within reach, the nearest of equal lengths: what a walk over
// every earlier position with the same byte, nearest first and keeping only strictly longer
// matches, finds. Walking all of them is slow on long chains (one letter, two letters), so
// the search goes by prefix instead:
//   - every match of 8 bytes or more starts at a position on the chain of its first 8 bytes;
//   - failing that, every match of 3 to 7 bytes is on the chain of its first 3 bytes;
//   - failing that, a 2-byte match is only used within 255 bytes, so only the nearest such
//     position counts, on the byte chain.
// Hash collisions put foreign positions on a chain; their shorter matches never count.
Packer::Match Packer::FindMatch(int32_t j) const {
    const int32_t maxLength = std::min(kMaxMatch, srcLength_ - j);
    if (maxLength >= kLongPrefix) {
        const Match m = LongestOnChain(byLongPrefix_, LongKey(j), j, kLongPrefix - 1, maxLength);
        if (m.distance != 0) return m;
    }
    if (maxLength >= kShortPrefix) {
        const int32_t cap = std::min(maxLength, kLongPrefix - 1);
        const Match m = LongestOnChain(byShortPrefix_, ShortKey(j), j, kShortPrefix - 1, cap);
        if (m.distance != 0) return m;
    }
    if (maxLength >= 2) return NearbyPair(j);
    return {0, 0};
}

// The nearest longest match on one chain among those longer than floor, no longer than cap;
// distance 0 when there is none.
Packer::Match Packer::LongestOnChain(const HashChain& chain, uint32_t key, int32_t j, int32_t floor,
                                     int32_t cap) const {
    const int32_t lowest = j - kMaxDistance;
    const uint8_t* here = src_ + j;
    Match best = {floor, 0};
    for (int32_t p = chain.Newest(key); p >= 0 && p >= lowest; p = chain.Before(p)) {
        const uint8_t* there = src_ + p;
        // A candidate can only be longer than the best if it also matches at the best's
        // length; testing that byte first spares most full comparisons.
        if (there[best.length] != here[best.length]) continue;
        const int32_t length = CommonLength(there, here, cap);
        if (length > best.length) {
            best = {length, j - p};
            if (length == cap) break;
        }
    }
    return best;
}

// The nearest position within short-match reach that starts with the same two bytes.
Packer::Match Packer::NearbyPair(int32_t j) const {
    const int32_t lowest = std::max(0, j - kMaxShortDistance);
    for (int32_t p = byByte_.Newest(src_[j]); p >= lowest; p = byByte_.Before(p)) {
        if (src_[p + 1] == src_[j + 1]) return {2, j - p};
    }
    return {0, 0};
}

Packer::Token Packer::ChooseToken(const Match& match) {
    if (match.distance == 0 || match.length < 2) return Token::kLiteral;
    if (match.distance <= kMaxShortDistance) {
        return match.length <= kMaxShortLength ? Token::kShort : Token::kLong;
    }
    // Beyond short-match reach only the long form is left, and it starts at 3 bytes.
    return match.length >= 3 ? Token::kLong : Token::kLiteral;
}

void Packer::PutToken(Token token, const Match& match, uint8_t literal) {
    if (token == Token::kLiteral) {
        PutFlag(1);
        QueueByte(literal);
        return;
    }
    // The negative distance, as a 32-bit two's complement value.
    const uint32_t negative = 0u - static_cast<uint32_t>(match.distance);
    const uint32_t code = static_cast<uint32_t>(match.length - 2);
    PutFlag(0);
    if (token == Token::kShort) {
        PutFlag(0);
        PutFlag((code >> 1) & 1);
        PutFlag(code & 1);
        QueueByte(static_cast<uint8_t>(negative));
        return;
    }
    PutFlag(1);
    QueueByte(static_cast<uint8_t>(negative));
    const uint8_t high = static_cast<uint8_t>((negative >> 5) & kDistanceHighBits);
    if (match.length <= kMaxPackedLength) {
        QueueByte(static_cast<uint8_t>(high | code));
    } else {
        QueueByte(high);
        QueueByte(static_cast<uint8_t>(match.length - 1));
    }
}

void Packer::StartOutput(uint8_t* dst) {
    dst_ = dst;
    writePos_ = 0;
    control_ = 0;
    bitsPut_ = 0;
    queued_ = 0;
}

// Bits enter at bit 15 and move down, so the first bit put ends up as bit 0.
void Packer::PutFlag(uint32_t bit) {
    control_ = static_cast<uint16_t>((control_ >> 1) | (bit << 15));
    if (++bitsPut_ == 16) WriteWord(control_);
}

void Packer::QueueByte(uint8_t b) {
    assert(queued_ < kQueueCapacity);
    queue_[queued_++] = b;
}

// Writes a control word and the data bytes queued since the previous one.
void Packer::WriteWord(uint16_t word) {
    dst_[writePos_++] = static_cast<uint8_t>(word);
    dst_[writePos_++] = static_cast<uint8_t>(word >> 8);
    std::memcpy(dst_ + writePos_, queue_, queued_);
    writePos_ += queued_;
    queued_ = 0;
    control_ = 0;
    bitsPut_ = 0;
}

// The long form with c = 1, d = 0 (no length bits, so a third byte follows) and e = 0.
void Packer::PutEndOfStream() {
    PutFlag(0);
    PutFlag(1);
    QueueByte(1);
    QueueByte(0);
    QueueByte(kEndOfStream);
}

// ---- Unpacking ----------------------------------------------------------------------------

bool Packer::Unpack(const uint8_t* src, uint8_t* dst, uint16_t n, uint16_t limit,
                    uint16_t* produced) {
    src_ = src;
    srcLength_ = n;
    readPos_ = 0;
    uint32_t written = 0;
    const bool ok = DecodeStream(dst, limit, &written);
    *produced = static_cast<uint16_t>(written);
    return ok;
}

// Decodes straight into dst: it holds the whole output, so every reference back into it is
// in reach and no separate window is needed.
bool Packer::DecodeStream(uint8_t* dst, uint32_t limit, uint32_t* produced) {
    uint32_t& out = *produced;
    if (!ReadWord()) return false;
    for (;;) {
        uint32_t bit = 0;
        if (!ReadFlag(&bit)) return false;
        if (bit == 1) {
            uint8_t literal = 0;
            if (!ReadByte(&literal) || out >= limit) return false;
            dst[out++] = literal;
            continue;
        }
        if (!ReadFlag(&bit)) return false;
        uint32_t length = 0;
        uint32_t distance = 0;
        if (bit == 0) {
            uint32_t h = 0;
            uint32_t l = 0;
            uint8_t b = 0;
            if (!ReadFlag(&h) || !ReadFlag(&l) || !ReadByte(&b)) return false;
            length = 2 * h + l + 2;
            distance = b == 0 ? 256 : 256u - b;
        } else {
            uint8_t c = 0;
            uint8_t d = 0;
            if (!ReadByte(&c) || !ReadByte(&d)) return false;
            const uint32_t high = static_cast<uint32_t>(d & kDistanceHighBits) << 5;
            distance = static_cast<uint32_t>(kMaxDistance) - (high | c);
            if ((d & kLengthBits) != 0) {
                length = (d & kLengthBits) + 2u;
            } else {
                uint8_t e = 0;
                if (!ReadByte(&e)) return false;
                if (e == kEndOfStream) return true;
                if (e == kNoOperation) continue;
                length = e + 1u;
            }
        }
        // A reference before the first byte or past the limit means damaged input.
        if (distance > out || length > limit - out) return false;
        for (uint32_t k = 0; k < length; ++k, ++out) dst[out] = dst[out - distance];
    }
}

bool Packer::ReadWord() {
    if (srcLength_ - readPos_ < 2) return false;
    readControl_ = static_cast<uint16_t>(src_[readPos_] | (src_[readPos_ + 1] << 8));
    readPos_ += 2;
    bitsLeft_ = 16;
    return true;
}

// Once the last bit of a word is taken the next word is read at once, before any data byte
// of the token, as the packer put it there.
bool Packer::ReadFlag(uint32_t* bit) {
    *bit = readControl_ & 1u;
    readControl_ = static_cast<uint16_t>(readControl_ >> 1);
    if (--bitsLeft_ == 0) return ReadWord();
    return true;
}

bool Packer::ReadByte(uint8_t* b) {
    if (readPos_ >= srcLength_) return false;
    *b = src_[readPos_++];
    return true;
}

}  // namespace velkaro
