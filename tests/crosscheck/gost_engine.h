#pragma once
// GostEngine: OpenSSL's GOST engine (Debian package libengine-gost-openssl), loaded in-process,
// as an independent implementation of GOST 28147-89 to check CipherContext against.
//
// Every operation names the substitution box by its OpenSSL short name, e.g.
// "id-Gost28147-89-CryptoPro-A-ParamSet" or "id-Gost28147-89-TestParamSet".

#include <cstdint>
#include <string>
#include <vector>

typedef struct engine_st ENGINE;

namespace velkaro::crosscheck {

using Bytes = std::vector<uint8_t>;

inline constexpr const char* kCryptoProAName = "id-Gost28147-89-CryptoPro-A-ParamSet";
inline constexpr const char* kTestParamSetName = "id-Gost28147-89-TestParamSet";

// The engine re-keys gost89-cnt and gost-mac after every 1024 bytes ("key meshing"); below that
// they are the plain modes of the standard.
inline constexpr size_t kMaxUnmeshedBytes = 1024;

class GostEngine {
public:
    // Loads and initialises the engine; error() tells why when that failed.
    GostEngine();
    ~GostEngine();
    GostEngine(const GostEngine&) = delete;
    GostEngine& operator=(const GostEngine&) = delete;

    bool loaded() const { return engine_ != nullptr; }
    const std::string& error() const { return error_; }

    // One block in simple replacement: gost89-cbc with a zero IV over one block.
    Bytes EncryptBlock(const char* box, const Bytes& key, const Bytes& block);
    Bytes DecryptBlock(const char* box, const Bytes& key, const Bytes& block);
    // Gamma mode (gost89-cnt) over at most kMaxUnmeshedBytes bytes.
    Bytes Gamma(const char* box, const Bytes& key, const Bytes& synchro, const Bytes& data);
    // The standard's 32-bit MAC (gost-mac) as 4 bytes. The engine adds a zero block to messages
    // of one block or less, so callers compare only messages of 9 to kMaxUnmeshedBytes bytes.
    Bytes Mac(const char* box, const Bytes& key, const Bytes& data);

private:
    Bytes RunCipher(int nid, bool encrypt, const char* box, const Bytes& key, const Bytes& iv,
                    const Bytes& data);
    void Fail(const std::string& what);

    ENGINE* engine_ = nullptr;
    std::string error_;
};

std::string Hex(const Bytes& bytes);
Bytes FromHex(const std::string& hex);

}  // namespace velkaro::crosscheck
