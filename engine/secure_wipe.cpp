#include "secure_wipe.h"

namespace velkaro {

void SecureWipe(void* p, size_t n) {
    volatile unsigned char* q = static_cast<volatile unsigned char*>(p);
    while (n--) *q++ = 0;
}

}  // namespace velkaro
