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

Packer::~Packer() {
    SecureWipe(window_, sizeof window_);
    SecureWipe(queue_, sizeof queue_);
}

// ---- Packing ------------------------------------------------------------------------------

uint16_t Packer::Pack(const uint8_t* src, uint8_t* dst, uint16_t n) {
    src_ = src;
    srcLength_ = n;
    readPos_ = 0;
    StartOutput(dst);

    if (n > 0) {
        LoadWindow();
        std::fill(std::begin(head_), std::end(head_), -1);
        prev_[0] = -1;
        head_[window_[0]] = 0;
        PutFlag(1);
        QueueByte(window_[0]);

        for (int32_t j = 1; j < count_; ++j) {
            Link(j);
            const Match match = FindMatch(j);
            const Token token = ChooseToken(match);
            PutToken(token, match, window_[j]);
            if (token != Token::kLiteral) {
                for (int32_t k = 1; k < match.length; ++k) Link(j + k);
                j += match.length - 1;
            }
            if (j > kSlideThreshold) {
                SlideWindow();
                j -= kSlideStep;
            }
            // A stream this long is never stored, so there is no point in finishing it.
            if (writePos_ >= n) return static_cast<uint16_t>(std::min<uint32_t>(writePos_, 0xFFFF));
        }
    }

    PutEndOfStream();
    // The last word goes out even when it holds no bit, with its first bit moved to bit 0.
    WriteWord(static_cast<uint16_t>(control_ >> (16 - bitsPut_)));
    return static_cast<uint16_t>(std::min<uint32_t>(writePos_, 0xFFFF));
}

void Packer::LoadWindow() {
    count_ = static_cast<int32_t>(std::min<uint32_t>(srcLength_, kWindowSize));
    std::memcpy(window_, src_, static_cast<size_t>(count_));
    readPos_ = static_cast<uint32_t>(count_);
}

void Packer::Link(int32_t j) {
    prev_[j] = head_[window_[j]];
    head_[window_[j]] = j;
}

// Walks the chain of earlier positions holding the same byte, nearest first. Only a strictly
// longer match replaces the best one, so of equal lengths the nearest wins.
Packer::Match Packer::FindMatch(int32_t j) const {
    const int32_t lowest = j > kMaxDistance ? j - kMaxDistance : 0;
    const int32_t maxLength = std::min(kMaxMatch, count_ - j);
    const uint8_t* here = window_ + j;
    Match best = {0, 0};
    for (int32_t p = prev_[j]; p >= lowest; p = prev_[p]) {
        const uint8_t* there = window_ + p;
        // A candidate can only be longer than the best if it also matches at the best's
        // length; testing that byte first spares most full comparisons.
        if (best.length > 0 && there[best.length] != here[best.length]) continue;
        int32_t length = 1;
        while (length < maxLength && there[length] == here[length]) ++length;
        if (length > best.length) {
            best = {length, j - p};
            if (length == maxLength) break;
        }
    }
    return best;
}

// Drops the oldest kSlideStep bytes, renumbers the chains and tops the window up.
void Packer::SlideWindow() {
    for (int32_t& h : head_) h = h >= kSlideStep ? h - kSlideStep : -1;
    const int32_t kept = count_ - kSlideStep;
    std::memmove(window_, window_ + kSlideStep, static_cast<size_t>(kept));
    for (int32_t k = 0; k < kept; ++k) {
        const int32_t p = prev_[k + kSlideStep];
        prev_[k] = p >= kSlideStep ? p - kSlideStep : -1;
    }
    count_ = kept;
    const uint32_t room = kWindowSize - static_cast<uint32_t>(count_);
    const uint32_t more = std::min(room, srcLength_ - readPos_);
    std::memcpy(window_ + count_, src_ + readPos_, more);
    readPos_ += more;
    count_ += static_cast<int32_t>(more);
}

Packer::Token Packer::ChooseToken(const Match& match) {
    if (match.distance <= kMaxShortDistance) {
        if (match.length < 2) return Token::kLiteral;
        return match.length <= kMaxShortLength ? Token::kShort : Token::kLong;
    }
    // Far away, a two-byte match would cost more than the literal it replaces.
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

void Packer::PutEndOfStream() {
    PutFlag(0);
    PutFlag(1);
    QueueByte(kNoOperation);
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
