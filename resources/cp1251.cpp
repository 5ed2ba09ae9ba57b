#include "cp1251.h"

#include "utf8.h"

namespace velkaro {
namespace {

// Code points of the bytes 0x80..0xBF (Windows-1251 as published by Microsoft; 0x98 is
// undefined there and kept as U+0098). Bytes 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

}  // namespace

char32_t Cp1251::ToUnicode(uint8_t byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return char32_t(0x0410 + (byte - 0xC0));
    return kUpperHalf[byte - 0x80];
}

bool Cp1251::FromUnicode(char32_t cp, uint8_t* byte) {
    if (cp < 0x80) {
        *byte = uint8_t(cp);
        return true;
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        *byte = uint8_t(0xC0 + (cp - 0x0410));
        return true;
    }
    for (unsigned i = 0; i < 64; ++i) {
        if (kUpperHalf[i] == cp) {
            *byte = uint8_t(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string Cp1251::FromUtf8(const std::string& utf8) {
    std::string out;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const uint8_t* end = p + utf8.size();
    while (p < end) {
        char32_t cp;
        uint8_t byte = '?';
        if (Utf8::Decode(&p, end, &cp)) {
            if (!FromUnicode(cp, &byte)) byte = '?';
        } else {
            ++p;
        }
        out.push_back(char(byte));
    }
    return out;
}

}  // namespace velkaro
