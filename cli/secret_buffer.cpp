#include "secret_buffer.h"

#include <cstring>

#include "secure_wipe.h"

namespace velkaro {

SecretBuffer::SecretBuffer(size_t capacity) : data_(new uint8_t[capacity]()), capacity_(capacity) {}

SecretBuffer::~SecretBuffer() { SecureWipe(data_.get(), capacity_); }

void SecretBuffer::Resize(size_t n) { size_ = n < capacity_ ? n : capacity_; }

bool SecretBuffer::Append(const void* p, size_t n) {
    if (n > capacity_ - size_) return false;
    if (n != 0) std::memcpy(data_.get() + size_, p, n);
    size_ += n;
    return true;
}

void SecretBuffer::Clear() {
    SecureWipe(data_.get(), capacity_);
    size_ = 0;
}

bool SecretBuffer::Terminate() {
    if (size_ >= capacity_) return false;
    data_[size_] = 0;
    return true;
}

}  // namespace velkaro
