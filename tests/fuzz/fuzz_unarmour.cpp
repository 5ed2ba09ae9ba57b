// Fuzzes the armour decoder and the tolerant marker search on arbitrary text.
#include <cstdint>
#include <string>
#include <vector>

#include "message_cipher.h"
#include "text_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velkaro;
    // Exactly as long as the input, so a read past the end is caught.
    std::vector<char> text(data, data + size);

    std::vector<uint8_t> decoded(2 * (size / 3) + 1);
    uint32_t n = uint32_t(size);
    MessageCipher::Unarmour(text.data(), decoded.data(), &n);
    if (n > 2 * (size / 3)) __builtin_trap();

    // Whatever was decoded armours back into characters the decoder reads as the same bytes.
    std::vector<char> again(3 * (n / 2) + 1);
    uint32_t m = n;
    MessageCipher::Armour(decoded.data(), again.data(), &m);
    std::vector<uint8_t> back(n + 1);
    uint32_t k = m;
    MessageCipher::Unarmour(again.data(), back.data(), &k);
    if (k != n || !std::equal(decoded.begin(), decoded.begin() + n, back.begin())) __builtin_trap();

    for (const char* marker : {kBlockMarker, kClosingMarker, "edit"}) {
        int32_t pos = 0;
        if (FindBlockMarker(text.data(), &pos, uint32_t(size), marker)) {
            if (pos + 11 < 0 || size_t(pos + 11) >= size) __builtin_trap();
        }
    }
    return 0;
}
