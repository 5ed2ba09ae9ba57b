#pragma once
// The one routine that wipes secrets (keys, passwords, plain text left in buffers).

#include <cstddef>

namespace velkaro {

// Overwrites n bytes with zeros through volatile writes, which the compiler may not drop
// even when the memory is never read again.
void SecureWipe(void* p, size_t n);

}  // namespace velkaro
