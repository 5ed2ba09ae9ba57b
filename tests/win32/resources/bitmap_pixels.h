#pragma once
// Pixels: a picture's pixels at 32 bits, top row first, to test what a bitmap or a drawing
// holds; ReadPixels reads a bitmap back through GetDIBits.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkaro {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    // The colour at (x, y) as 0xRRGGBB.
    uint32_t at(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; }
};

// The pixels of `bitmap`, converted for `dc`; all zero when the bitmap cannot be read.
inline Pixels ReadPixels(HDC dc, HBITMAP bitmap) {
    BITMAP size = {};
    GetObjectA(bitmap, sizeof size, &size);
    Pixels p;
    p.width = size.bmWidth;
    p.height = size.bmHeight;
    p.argb.resize(size_t(p.width) * size_t(p.height));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = p.width;
    info.bmiHeader.biHeight = -p.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (GetDIBits(dc, bitmap, 0, UINT(p.height), p.argb.data(), &info, DIB_RGB_COLORS) != p.height) {
        p.argb.assign(p.argb.size(), 0);
    }
    return p;
}

}  // namespace velkaro
