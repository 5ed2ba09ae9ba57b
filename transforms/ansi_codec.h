#pragma once
// AnsiCodec: conversion between the UTF-16 of the HTML interfaces and the ANSI code page of
// the text buffers. The Win32 layer uses the system's ANSI code page; the portable codec
// is CP1251. A character the code page lacks is lost (it becomes "?").

#include <cstddef>
#include <string>

namespace velkaro {

class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    virtual std::string ToAnsi(const std::u16string& text) const = 0;
    virtual std::u16string FromAnsi(const char* text, size_t n) const = 0;
};

}  // namespace velkaro
