#pragma once
// The modes of a message transform and the answers of its probe, shared by the plain-text
// and the HTML transform and by the main window that runs them.

#include <cstdint>

namespace velkaro {

enum class TransformMode : uint8_t {
    Probe = 4,    // read the start of the text and look for a block
    Encrypt = 5,  // seal the whole text in place
    Decrypt = 6,  // open the block found by the probe, replacing the whole text
};

enum class ProbeResult : uint8_t {
    BlockFound = 0,   // the text holds a block: the decryption road
    PlainText = 1,    // no block: the encryption road
    NothingToDo = 2,  // nothing to act on; also the answer of every Encrypt and Decrypt
    NoRequest = 3,    // the main window's "no request under way"; never returned by a transform
};

}  // namespace velkaro
