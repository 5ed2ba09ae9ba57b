// Fuzzes Unpack on arbitrary streams: the first two bytes give the output limit (little-endian),
// the rest is the stream. Nothing may be read past the stream or written past the limit.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "packer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using velkaro::Packer;
    if (size < 2 || size - 2 > 0xFFFF) return 0;
    const uint16_t limit = uint16_t(data[0] | (data[1] << 8));
    // Both buffers exactly as long as allowed, so a stray read or write is caught.
    std::vector<uint8_t> stream(data + 2, data + size);
    std::unique_ptr<uint8_t[]> out(new uint8_t[limit ? limit : 1]);
    auto packer = std::make_unique<Packer>();

    uint16_t produced = 0xFFFF;
    const bool ok =
        packer->Unpack(stream.data(), out.get(), uint16_t(stream.size()), limit, &produced);
    if (produced > limit) __builtin_trap();

    // A stream that decodes in full decodes the same with exactly the room it needs, and is
    // refused with one byte less.
    if (ok) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[produced ? produced : 1]);
        uint16_t again = 0;
        if (!packer->Unpack(stream.data(), exact.get(), uint16_t(stream.size()), produced, &again))
            __builtin_trap();
        if (again != produced || !std::equal(exact.get(), exact.get() + produced, out.get()))
            __builtin_trap();
        if (produced > 0 && packer->Unpack(stream.data(), exact.get(), uint16_t(stream.size()),
                                           uint16_t(produced - 1), &again))
            __builtin_trap();
    }
    return 0;
}
