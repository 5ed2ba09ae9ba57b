// SystemEntropy on Linux: the kernel's getrandom, which blocks only until the pool is first
// initialised at boot and is never short of bytes afterwards.
#include <errno.h>
#include <sys/random.h>

#include "entropy_source.h"

namespace velkaro {
namespace {

class KernelEntropy : public EntropySource {
public:
    bool Fill(uint8_t* out, size_t n) override {
        while (n > 0) {
            const ssize_t got = getrandom(out, n, 0);
            if (got < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            out += got;
            n -= size_t(got);
        }
        return true;
    }
};

}  // namespace

EntropySource& SystemEntropy() {
    static KernelEntropy source;
    return source;
}

}  // namespace velkaro
