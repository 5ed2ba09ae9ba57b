#pragma once
// EntropySource: the operating system's random source, the one platform call of the engine.
// The random generator mixes its bytes into the clock-based seed, so two seals never share a
// synchro merely because they started in the same millisecond. Tests substitute a fixed or
// failing source.

#include <cstddef>
#include <cstdint>

namespace velkaro {

class EntropySource {
public:
    virtual ~EntropySource() = default;
    // Fills out[0..n) with unpredictable bytes. False when the source cannot deliver them
    // all; out is then unspecified and must not be used.
    virtual bool Fill(uint8_t* out, size_t n) = 0;
};

// The system's source: getrandom on Linux; BCryptGenRandom on Windows, or RtlGenRandom /
// CryptGenRandom where bcrypt.dll is absent (Windows XP). Stateless, shared by every caller.
EntropySource& SystemEntropy();

}  // namespace velkaro
