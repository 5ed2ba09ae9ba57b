#pragma once
// KeyCache: up to ten recently used keys, so a message can often be opened without asking.

#include <cstdint>

#include "cipher_context.h"
#include "cipher_key.h"

namespace velkaro {

class KeyCache {
public:
    static constexpr uint8_t kCapacity = 10;

    KeyCache() = default;
    virtual ~KeyCache();  // wipes every slot, like Clear

    // Remembers key, unless its check value does not verify or a key with the same check
    // value is cached. When all ten slots are used, the slot with the largest use count is
    // replaced (the highest-numbered one among equals).
    void Add(const CipherKey& key);
    // Forgets all keys, wiping the key bytes and use counts of every slot.
    void Clear();
    // Copies slot `slot` to out. False, out unchanged, for an empty slot or slot >= 10.
    bool Get(uint8_t slot, CipherKey& out) const;
    // Counts one more use of the slot.
    void Touch(uint8_t slot);
    // Is a key with this check value cached? Stops at the first empty slot.
    bool Contains(const CipherKey& key) const;
    uint8_t Capacity() const { return kCapacity; }

    uint8_t Count() const { return count_; }
    uint32_t Uses(uint8_t slot) const { return slot < kCapacity ? slots_[slot].uses : 0; }

private:
    struct Slot {
        CipherKey key;
        uint32_t uses;  // 0 = empty
    };
    CipherContext context_;  // validates the keys that are added
    uint8_t count_ = 0;
    Slot slots_[kCapacity] = {};
};

}  // namespace velkaro
