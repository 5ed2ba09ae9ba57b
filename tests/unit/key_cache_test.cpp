// KeyCache: validation, de-duplication, slot choice when full, Get/Touch bounds, Clear.

#include "key_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "cipher_context.h"

namespace velkaro {
namespace {

// A random key with a check value that verifies.
CipherKey ValidKey(std::mt19937& rng) {
    CipherKey k{};
    for (auto& b : k.key) b = uint8_t(rng());
    CipherContext ctx;
    ctx.SetKey(k);
    uint32_t acc[2] = {0, 0};
    ctx.Mac(acc, kDerivationConstant, 32);
    k.check = acc[0];
    return k;
}

bool SameKey(const CipherKey& a, const CipherKey& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class KeyCacheTest : public ::testing::Test {
protected:
    // Fills all ten slots with distinct valid keys.
    void Fill() {
        for (auto& k : keys_) {
            k = ValidKey(rng_);
            cache_.Add(k);
        }
        ASSERT_EQ(cache_.Count(), 10);
    }

    std::mt19937 rng_{42};
    KeyCache cache_;
    CipherKey keys_[10];
};

TEST_F(KeyCacheTest, AddedKeysFillSlotsInOrder) {
    EXPECT_EQ(cache_.Capacity(), 10);
    const CipherKey a = ValidKey(rng_), b = ValidKey(rng_);
    cache_.Add(a);
    cache_.Add(b);
    EXPECT_EQ(cache_.Count(), 2);
    CipherKey out;
    ASSERT_TRUE(cache_.Get(0, out));
    EXPECT_TRUE(SameKey(out, a));
    ASSERT_TRUE(cache_.Get(1, out));
    EXPECT_TRUE(SameKey(out, b));
    EXPECT_EQ(cache_.Uses(0), 1u);
    EXPECT_TRUE(cache_.Contains(a));
    EXPECT_TRUE(cache_.Contains(b));
}

TEST_F(KeyCacheTest, DuplicateAndUnverifiedKeysAreNotAdded) {
    const CipherKey a = ValidKey(rng_);
    cache_.Add(a);
    cache_.Add(a);
    EXPECT_EQ(cache_.Count(), 1);

    // A key whose check value was altered does not verify and is refused.
    CipherKey altered = ValidKey(rng_);
    altered.check ^= 1;
    cache_.Add(altered);
    EXPECT_EQ(cache_.Count(), 1);
    EXPECT_FALSE(cache_.Contains(altered));
    CipherKey out;
    EXPECT_FALSE(cache_.Get(1, out));
}

TEST_F(KeyCacheTest, GetOfAnEmptyOrOutOfRangeSlotFailsAndLeavesOut) {
    cache_.Add(ValidKey(rng_));
    CipherKey out;
    std::memset(&out, 0xA5, sizeof out);
    CipherKey before = out;
    EXPECT_FALSE(cache_.Get(1, out));
    EXPECT_FALSE(cache_.Get(10, out));
    EXPECT_FALSE(cache_.Get(255, out));
    EXPECT_TRUE(SameKey(out, before));
}

// Use counts 1, 5, 5 and seven 1s: the highest-numbered of the largest counts, slot 2, goes.
TEST_F(KeyCacheTest, FullCacheReplacesTheMostUsedHighestSlot) {
    Fill();
    for (int i = 0; i < 4; ++i) {
        cache_.Touch(1);
        cache_.Touch(2);
    }
    ASSERT_EQ(cache_.Uses(1), 5u);
    ASSERT_EQ(cache_.Uses(2), 5u);

    const CipherKey fresh = ValidKey(rng_);
    cache_.Add(fresh);

    EXPECT_EQ(cache_.Count(), 10);
    CipherKey out;
    ASSERT_TRUE(cache_.Get(2, out));
    EXPECT_TRUE(SameKey(out, fresh));
    EXPECT_EQ(cache_.Uses(2), 1u);
    EXPECT_EQ(cache_.Uses(1), 5u);
    EXPECT_FALSE(cache_.Contains(keys_[2]));
    for (int i : {0, 1, 3, 9}) {
        ASSERT_TRUE(cache_.Get(uint8_t(i), out));
        EXPECT_TRUE(SameKey(out, keys_[i])) << "slot " << i;
    }
}

TEST_F(KeyCacheTest, FullCacheWithEqualCountsReplacesTheLastSlot) {
    Fill();
    const CipherKey fresh = ValidKey(rng_);
    cache_.Add(fresh);
    CipherKey out;
    ASSERT_TRUE(cache_.Get(9, out));
    EXPECT_TRUE(SameKey(out, fresh));
}

TEST_F(KeyCacheTest, TouchCountsUsesOfFilledSlotsOnly) {
    cache_.Add(ValidKey(rng_));
    cache_.Touch(0);
    EXPECT_EQ(cache_.Uses(0), 2u);
    // An empty slot stays empty (else Get would hand out a zero key), and out-of-range
    // slots are ignored.
    cache_.Touch(5);
    cache_.Touch(10);
    EXPECT_EQ(cache_.Uses(5), 0u);
    CipherKey out;
    EXPECT_FALSE(cache_.Get(5, out));
}

TEST_F(KeyCacheTest, ClearForgetsEverything) {
    Fill();
    cache_.Clear();
    EXPECT_EQ(cache_.Count(), 0);
    CipherKey out;
    for (uint8_t slot = 0; slot < 10; ++slot) {
        EXPECT_FALSE(cache_.Get(slot, out));
        EXPECT_EQ(cache_.Uses(slot), 0u);
    }
    EXPECT_FALSE(cache_.Contains(keys_[0]));
    // Filling starts again at slot 0.
    cache_.Add(keys_[3]);
    ASSERT_TRUE(cache_.Get(0, out));
    EXPECT_TRUE(SameKey(out, keys_[3]));
}

}  // namespace
}  // namespace velkaro
