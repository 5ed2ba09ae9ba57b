#pragma once
// The probe's search for a block, shared by the plain-text and the HTML transform.

#include <cstdint>

#include "text_limits.h"

namespace velkaro {

// The probe looks at the first 2000 characters of a text only.
constexpr uint32_t kProbeTextLimit = 2000;
// It decodes the header from at most this many characters after the marker.
constexpr uint32_t kProbeHeaderCharacters = 90;

// Searches text[0..min(n, kProbeTextLimit)) for "[!dgt_encry]" (tolerating breaks between
// its characters). Found: header becomes zeros with the marker in bytes 0..11 and the bytes
// decoded from the characters after the 12-character marker (at most 90, never past the
// examined text) from byte 12 on; *offset is the marker's position; true.
// Not found: false, header and *offset untouched.
bool ProbeForBlock(const char* text, uint32_t n, uint8_t header[kSealHeaderSize], int32_t* offset);

}  // namespace velkaro
