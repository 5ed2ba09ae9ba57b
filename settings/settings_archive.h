#pragma once
// SettingsArchive: the byte stream the settings record is stored through. A writing archive
// appends little-endian fields and LF-terminated lines to a byte string; a reading one
// walks a byte range and reports running out of data as a result, never by throwing.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

class SettingsArchive {
public:
    // An empty archive that collects what is written.
    static SettingsArchive ForWriting();
    // An archive that reads the n bytes at data; the bytes must outlive it.
    static SettingsArchive ForReading(const uint8_t* data, size_t n);

    bool IsStoring() const { return storing_; }

    // Writing. Each call appends to Bytes().
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    // The characters of `line`, then one LF.
    void WriteLine(const std::string& line);
    const std::string& Bytes() const { return bytes_; }

    // Reading. A field answers false, consuming nothing, when fewer bytes remain than it needs.
    bool ReadU8(uint8_t* value);
    bool ReadU16(uint16_t* value);
    bool ReadU32(uint32_t* value);
    // One line without its terminator. A line ends at LF; a CR ends it too and the byte
    // after the CR (whatever it is) is consumed, so CR LF reads like LF. A line cut by the
    // end of the data keeps what it has; at the end of the data the line is empty.
    std::string ReadLine();
    bool AtEnd() const { return position_ >= size_; }

private:
    SettingsArchive(bool storing, const uint8_t* data, size_t n)
        : storing_(storing), data_(data), size_(n) {}

    bool ReadLittleEndian(size_t width, uint32_t* value);

    bool storing_;
    std::string bytes_;
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace velkaro
