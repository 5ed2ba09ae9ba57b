#pragma once
// MemoryDc: a memory device context (CreateCompatibleDC / DeleteDC) for the scope, to draw
// icons and read bitmaps pixel by pixel.

#include <windows.h>

namespace velkaro {

class MemoryDc {
public:
    MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace velkaro
