// The window handle in the shared section: 32 bits on every build, widened back the way the
// system widens handles (sign extension).

#include "shared_hook_state.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

struct HandleCase {
    uint32_t word;
    uintptr_t handle;
};

const HandleCase kHandles[] = {
    {0x00000000u, 0},
    {0x00010086u, 0x00010086u},
    {0x7FFFFFFFu, 0x7FFFFFFFu},
    {0x80000000u, static_cast<uintptr_t>(intptr_t{INT32_MIN})},
    {0xFFFFFFFEu, static_cast<uintptr_t>(intptr_t{-2})},
};

TEST(VelhookSharedState, WindowHandlesSurviveTheTripThroughTheSharedWord) {
    for (const HandleCase& c : kHandles) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(HandleFromSharedWord(c.word), c.handle);
        EXPECT_EQ(HandleToSharedWord(c.handle), c.word);
    }
}

TEST(VelhookSharedState, OnlyTheLowHalfOfAWideHandleIsKept) {
    if (sizeof(uintptr_t) < 8) GTEST_SKIP() << "handles have no upper half here";
    EXPECT_EQ(HandleToSharedWord(static_cast<uintptr_t>(0x0000000100020030u)), 0x00020030u);
}

}  // namespace
}  // namespace velkaro
