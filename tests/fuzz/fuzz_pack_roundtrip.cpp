// Fuzzes Pack on arbitrary text: it stays within n + kPackSlack bytes, and a stream shorter than
// the text unpacks to exactly the text.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "packer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using velkaro::Packer;
    if (size > 0xFFFF) return 0;
    const uint16_t n = uint16_t(size);
    // Exactly the room Pack is promised, so a write past it is caught.
    std::vector<uint8_t> text(data, data + size);
    std::vector<uint8_t> packed(size + Packer::kPackSlack);
    auto packer = std::make_unique<Packer>();

    const uint16_t m = packer->Pack(text.data(), packed.data(), n);
    if (m > size + Packer::kPackSlack) __builtin_trap();
    if (m >= n) return 0;  // not shorter: the text would be stored plain

    std::vector<uint8_t> stream(packed.begin(), packed.begin() + m);
    std::unique_ptr<uint8_t[]> out(new uint8_t[n ? n : 1]);
    uint16_t produced = 0;
    if (!packer->Unpack(stream.data(), out.get(), m, n, &produced)) __builtin_trap();
    if (produced != n || !std::equal(text.begin(), text.end(), out.get())) __builtin_trap();
    return 0;
}
