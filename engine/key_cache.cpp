#include "key_cache.h"

#include <cstring>

#include "secure_wipe.h"

namespace velkaro {

KeyCache::~KeyCache() { Clear(); }

void KeyCache::Add(const CipherKey& key) {
    if (!context_.SetKey(key)) return;
    if (count_ > 0 && Contains(key)) return;

    uint8_t slot;
    if (count_ < kCapacity) {
        slot = count_++;
    } else {
        // The most used key makes room: it is the likeliest to be typed again anyway.
        // Among equal counts the highest-numbered slot goes.
        slot = 0;
        for (uint8_t i = 1; i < kCapacity; ++i) {
            if (slots_[i].uses >= slots_[slot].uses) slot = i;
        }
    }
    slots_[slot].uses = 1;
    std::memcpy(&slots_[slot].key, &key, sizeof key);
}

void KeyCache::Clear() {
    count_ = 0;
    SecureWipe(slots_, sizeof slots_);
    // The validating context holds the last key that was added.
    SecureWipe(context_.K, sizeof context_.K);
}

bool KeyCache::Get(uint8_t slot, CipherKey& out) const {
    if (slot >= kCapacity || slots_[slot].uses == 0) return false;
    std::memcpy(&out, &slots_[slot].key, sizeof out);
    return true;
}

void KeyCache::Touch(uint8_t slot) {
    // An empty slot stays empty: a use count on it would make Get hand out a zero key.
    if (slot >= kCapacity || slots_[slot].uses == 0) return;
    ++slots_[slot].uses;
}

bool KeyCache::Contains(const CipherKey& key) const {
    for (const Slot& s : slots_) {
        if (s.uses == 0) return false;
        if (s.key.check == key.check) return true;
    }
    return false;
}

}  // namespace velkaro
