#include "hotkeys/key_repeat.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(RepeatGuard, APressCountsOnlyAfterItsKeyWasSeenUp) {
    RepeatGuard guard;
    EXPECT_TRUE(guard.Counts(119));
    // Held: the auto-repeats type nothing more.
    EXPECT_FALSE(guard.Counts(119));
    EXPECT_FALSE(guard.Counts(119));
    // Another key held at the same time is a press of its own.
    EXPECT_TRUE(guard.Counts(118));
    EXPECT_EQ(guard.Held(), (std::vector<int>{119, 118}));
    guard.SeenUp(119);
    EXPECT_TRUE(guard.Counts(119));
    EXPECT_FALSE(guard.Counts(118));
}

}  // namespace
}  // namespace tf
