// SystemEntropy on Windows. BCryptGenRandom (Vista and later) is looked up at run time so the
// program still starts on XP, where RtlGenRandom (advapi32's SystemFunction036) serves, and
// CryptGenRandom after it as the last resort. Each call is tried in that order.
#include <windows.h>
#include <wincrypt.h>

#include "entropy_source.h"

namespace velkaro {
namespace {

constexpr ULONG kUseSystemPreferredRng = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG

using BCryptGenRandomFn = LONG(WINAPI*)(void* algorithm, PUCHAR buffer, ULONG size, ULONG flags);
using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID buffer, ULONG size);

template <typename Fn>
Fn Lookup(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);  // stays loaded: looked up once per process
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

class WindowsEntropy : public EntropySource {
public:
    WindowsEntropy()
        : bcrypt_(Lookup<BCryptGenRandomFn>("bcrypt.dll", "BCryptGenRandom")),
          rtl_(Lookup<RtlGenRandomFn>("advapi32.dll", "SystemFunction036")) {}

    bool Fill(uint8_t* out, size_t n) override {
        // Requests are small (32 bytes); larger ones go in pieces that fit a ULONG.
        while (n > 0) {
            const ULONG piece = n > 0x10000000u ? 0x10000000u : ULONG(n);
            if (!FillPiece(out, piece)) return false;
            out += piece;
            n -= piece;
        }
        return true;
    }

private:
    bool FillPiece(uint8_t* out, ULONG n) {
        if (bcrypt_ && bcrypt_(nullptr, out, n, kUseSystemPreferredRng) >= 0) return true;
        if (rtl_ && rtl_(out, n)) return true;
        HCRYPTPROV provider = 0;
        if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            return false;
        }
        const bool filled = CryptGenRandom(provider, n, out) != FALSE;
        CryptReleaseContext(provider, 0);
        return filled;
    }

    BCryptGenRandomFn bcrypt_;
    RtlGenRandomFn rtl_;
};

}  // namespace

EntropySource& SystemEntropy() {
    static WindowsEntropy source;
    return source;
}

}  // namespace velkaro
