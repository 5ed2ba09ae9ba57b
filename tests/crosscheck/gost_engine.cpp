// The engine interface of OpenSSL 3 is deprecated but is the only way to reach the GOST engine.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "gost_engine.h"

#include <openssl/engine.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <cstdio>
#include <stdexcept>

namespace velkaro::crosscheck {

namespace {

std::string OpenSslErrors() {
    std::string text;
    unsigned long code;
    while ((code = ERR_get_error()) != 0) {
        char line[256];
        ERR_error_string_n(code, line, sizeof line);
        text += "\n  ";
        text += line;
    }
    return text;
}

[[noreturn]] void Throw(const std::string& what) {
    throw std::runtime_error(what + OpenSslErrors());
}

}  // namespace

GostEngine::GostEngine() {
    ENGINE* e = ENGINE_by_id("gost");
    if (e == nullptr) {
        Fail("ENGINE_by_id(\"gost\")");
        return;
    }
    if (!ENGINE_init(e)) {
        ENGINE_free(e);
        Fail("ENGINE_init");
        return;
    }
    // The MAC is reached through the engine's EVP_PKEY method, which OpenSSL only finds when
    // the engine is registered as a default.
    if (!ENGINE_set_default(e, ENGINE_METHOD_ALL)) {
        ENGINE_finish(e);
        ENGINE_free(e);
        Fail("ENGINE_set_default");
        return;
    }
    engine_ = e;
}

GostEngine::~GostEngine() {
    if (engine_ != nullptr) {
        ENGINE_finish(engine_);
        ENGINE_free(engine_);
    }
}

void GostEngine::Fail(const std::string& what) { error_ = what + " failed" + OpenSslErrors(); }

Bytes GostEngine::RunCipher(int nid, bool encrypt, const char* box, const Bytes& key,
                            const Bytes& iv, const Bytes& data) {
    const EVP_CIPHER* cipher = ENGINE_get_cipher(engine_, nid);
    if (cipher == nullptr) Throw("ENGINE_get_cipher");
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(data.size() + 16);
    int written = 0;
    // The box is chosen after the key: initialising gost89-cnt with a key resets its box to
    // CryptoPro-A, while the sbox control keeps the loaded key.
    const bool ok =
        EVP_CipherInit_ex(ctx, cipher, engine_, key.data(), iv.data(), encrypt ? 1 : 0) &&
        EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_SBOX, 0, const_cast<char*>(box)) > 0 &&
        EVP_CIPHER_CTX_set_padding(ctx, 0) &&
        EVP_CipherUpdate(ctx, out.data(), &written, data.data(), int(data.size()));
    EVP_CIPHER_CTX_free(ctx);
    if (!ok) Throw(std::string("gost cipher ") + OBJ_nid2sn(nid));
    out.resize(size_t(written));
    return out;
}

Bytes GostEngine::EncryptBlock(const char* box, const Bytes& key, const Bytes& block) {
    if (block.size() != 8) throw std::invalid_argument("EncryptBlock takes one block");
    return RunCipher(NID_gost89_cbc, true, box, key, Bytes(8, 0), block);
}

Bytes GostEngine::DecryptBlock(const char* box, const Bytes& key, const Bytes& block) {
    if (block.size() != 8) throw std::invalid_argument("DecryptBlock takes one block");
    return RunCipher(NID_gost89_cbc, false, box, key, Bytes(8, 0), block);
}

Bytes GostEngine::Gamma(const char* box, const Bytes& key, const Bytes& synchro,
                        const Bytes& data) {
    if (data.size() > kMaxUnmeshedBytes) throw std::invalid_argument("key meshing would start");
    return RunCipher(NID_gost89_cnt, true, box, key, synchro, data);
}

Bytes GostEngine::Mac(const char* box, const Bytes& key, const Bytes& data) {
    if (data.size() <= 8 || data.size() > kMaxUnmeshedBytes)
        throw std::invalid_argument("the engine's MAC differs for this length");
    // The box travels with the MAC key: a key generated with "paramset" selects it when the
    // signing context loads the key.
    EVP_PKEY_CTX* keygen = EVP_PKEY_CTX_new_id(NID_id_Gost28147_89_MAC, engine_);
    EVP_PKEY* pkey = nullptr;
    const std::string hexKey = Hex(key);
    const bool keyOk = keygen != nullptr && EVP_PKEY_keygen_init(keygen) > 0 &&
                       EVP_PKEY_CTX_ctrl_str(keygen, "paramset", box) > 0 &&
                       EVP_PKEY_CTX_ctrl_str(keygen, "hexkey", hexKey.c_str()) > 0 &&
                       EVP_PKEY_keygen(keygen, &pkey) > 0;
    EVP_PKEY_CTX_free(keygen);
    if (!keyOk) Throw("gost-mac key generation");

    const EVP_MD* md = ENGINE_get_digest(engine_, NID_id_Gost28147_89_MAC);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    Bytes mac(8);
    size_t macLen = mac.size();
    const bool ok = md != nullptr && EVP_DigestSignInit(ctx, nullptr, md, engine_, pkey) > 0 &&
                    EVP_DigestSignUpdate(ctx, data.data(), data.size()) > 0 &&
                    EVP_DigestSignFinal(ctx, mac.data(), &macLen) > 0;
    EVP_MD_CTX_free(ctx);
    EVP_PKEY_free(pkey);
    if (!ok || macLen != 4) Throw("gost-mac");
    mac.resize(macLen);
    return mac;
}

std::string Hex(const Bytes& bytes) {
    std::string text;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        text += two;
    }
    return text;
}

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace velkaro::crosscheck
