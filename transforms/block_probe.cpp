#include "block_probe.h"

#include <cstring>

#include "message_cipher.h"

namespace velkaro {

bool ProbeForBlock(const char* text, uint32_t n, uint8_t header[kSealHeaderSize], int32_t* offset) {
    const uint32_t examined = n < kProbeTextLimit ? n : kProbeTextLimit;
    int32_t position = 0;
    if (!FindBlockMarker(text, &position, examined, kBlockMarker) || position < 0) return false;
    std::memset(header, 0, kSealHeaderSize);
    std::memcpy(header, kBlockMarker, kBlockMarkerLength);
    // The armour starts right after the 12 characters counted from the marker's position;
    // a marker broken by spaces or line breaks leaves its tail in what is decoded, and the
    // decoder passes over characters outside its alphabet.
    const uint32_t armourStart = uint32_t(position) + kBlockMarkerLength;
    uint32_t count = 0;
    if (armourStart < examined) {
        count = examined - armourStart;
        if (count > kProbeHeaderCharacters) count = kProbeHeaderCharacters;
    }
    MessageCipher::Unarmour(text + armourStart, header + kBlockMarkerLength, &count);
    *offset = position;
    return true;
}

}  // namespace velkaro
