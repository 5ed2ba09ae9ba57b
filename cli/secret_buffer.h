#pragma once
// SecretBuffer: a fixed-capacity heap buffer for text that may be secret (plain text, passwords,
// their conversions). It never grows, so no copy of its content is left behind by a
// reallocation, and it is wiped through SecureWipe when it is cleared or destroyed.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace velkaro {

class SecretBuffer {
public:
    // Allocates `capacity` zeroed bytes.
    explicit SecretBuffer(size_t capacity);
    ~SecretBuffer();  // wipes the whole capacity: the engine writes beyond size() as scratch
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    char* chars() { return reinterpret_cast<char*>(data_.get()); }
    const char* chars() const { return reinterpret_cast<const char*>(data_.get()); }
    uint8_t* bytes() { return data_.get(); }
    const uint8_t* bytes() const { return data_.get(); }
    size_t capacity() const { return capacity_; }
    size_t size() const { return size_; }

    // Sets the count of meaningful bytes (at most the capacity; larger values are clamped).
    void Resize(size_t n);
    // Appends n bytes; false, nothing appended, when they do not fit.
    bool Append(const void* p, size_t n);
    bool Append(uint8_t byte) { return Append(&byte, 1); }
    // Wipes the content and sets the size to 0.
    void Clear();
    // Writes a zero byte after the content when there is room for it (the engine's texts are
    // zero-terminated); false when the buffer is full.
    bool Terminate();

private:
    std::unique_ptr<uint8_t[]> data_;
    size_t capacity_;
    size_t size_ = 0;
};

}  // namespace velkaro
