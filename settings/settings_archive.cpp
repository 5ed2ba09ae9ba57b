#include "settings_archive.h"

namespace velkaro {

SettingsArchive SettingsArchive::ForWriting() { return SettingsArchive(true, nullptr, 0); }

SettingsArchive SettingsArchive::ForReading(const uint8_t* data, size_t n) {
    return SettingsArchive(false, data, n);
}

void SettingsArchive::WriteU8(uint8_t value) { bytes_.push_back(char(value)); }

void SettingsArchive::WriteU16(uint16_t value) {
    WriteU8(uint8_t(value));
    WriteU8(uint8_t(value >> 8));
}

void SettingsArchive::WriteU32(uint32_t value) {
    WriteU16(uint16_t(value));
    WriteU16(uint16_t(value >> 16));
}

void SettingsArchive::WriteLine(const std::string& line) {
    bytes_ += line;
    bytes_.push_back('\n');
}

bool SettingsArchive::ReadLittleEndian(size_t width, uint32_t* value) {
    if (position_ > size_ || size_ - position_ < width) return false;
    uint32_t result = 0;
    for (size_t i = 0; i < width; ++i) result |= uint32_t(data_[position_ + i]) << (8 * i);
    position_ += width;
    *value = result;
    return true;
}

bool SettingsArchive::ReadU8(uint8_t* value) {
    uint32_t wide = 0;
    if (!ReadLittleEndian(1, &wide)) return false;
    *value = uint8_t(wide);
    return true;
}

bool SettingsArchive::ReadU16(uint16_t* value) {
    uint32_t wide = 0;
    if (!ReadLittleEndian(2, &wide)) return false;
    *value = uint16_t(wide);
    return true;
}

bool SettingsArchive::ReadU32(uint32_t* value) { return ReadLittleEndian(4, value); }

std::string SettingsArchive::ReadLine() {
    std::string line;
    while (position_ < size_) {
        char c = char(data_[position_++]);
        if (c == '\n') break;
        if (c == '\r') {
            if (position_ < size_) ++position_;
            break;
        }
        line.push_back(c);
    }
    return line;
}

}  // namespace velkaro
