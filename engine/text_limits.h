#pragma once
// Sizes shared by the engine, the transforms and the application state.

#include <cstddef>
#include <cstdint>

namespace velkaro {

constexpr uint32_t kMaxPlainText = 64000;  // longest text sealed or opened
constexpr uint32_t kMaxStoredBody = 46000; // longest body (packed or plain) Seal accepts

constexpr char kBlockMarker[] = "[!dgt_encry]";
constexpr char kClosingMarker[] = "[/!dgt_encry]";
constexpr uint32_t kBlockMarkerLength = 12;
constexpr uint32_t kClosingMarkerLength = 13;

constexpr uint32_t kSealHeaderSize = 80;
constexpr uint32_t kArmourLineLength = 50;

// Characters of the armoured block of a body of `body` bytes: the marker, 3 characters per
// 2 bytes of header bytes 12..79 and body, and CR LF after every 50th character.
constexpr uint32_t ArmouredLength(uint32_t body) {
    uint32_t chars = kBlockMarkerLength + 3 * ((68 + body + 1) / 2);
    return chars + 2 * (chars / kArmourLineLength);
}
static_assert(ArmouredLength(46000) == 71878, "largest block, as the format defines it");
static_assert(ArmouredLength(1) == 121, "a one-byte message");

// The informational note the transforms put in front of a block: at most 1024 bytes of
// note text, CR LF, a rule of 50 underscores, CR LF (its HTML form is longer, but never
// composed with a plain-text block).
constexpr uint32_t kMaxInfoNoteText = 1024 + 2 + 50 + 2;

// Every text buffer of the application holds the largest block with its closing marker and
// the largest note in front, plus the terminating zero. A block never has to be refused, or
// written past a buffer, for want of room.
constexpr uint32_t kTextBufferCapacity = 75776;
static_assert(kTextBufferCapacity >=
                  kMaxInfoNoteText + ArmouredLength(kMaxStoredBody) + kClosingMarkerLength + 1,
              "a buffer holds note + block + closing marker + zero");
static_assert(kTextBufferCapacity > kMaxPlainText, "a buffer holds the longest plain text");

// The longest text read for opening a block: a whole buffer. A text of up to 64000
// characters seals into a block longer than 64000 characters, and its own sender must be
// able to open it again.
constexpr uint32_t kMaxOpenedText = kTextBufferCapacity - 1;

}  // namespace velkaro
