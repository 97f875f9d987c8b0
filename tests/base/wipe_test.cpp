#include "base/wipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tf {
namespace {

bool AllZero(const char* data, std::size_t size) {
    return std::all_of(data, data + size, [](char c) { return c == 0; });
}

TEST(WipeMemory, ZerosEveryByte) {
    char buffer[] = "a password";
    WipeMemory(buffer, sizeof buffer);
    EXPECT_TRUE(AllZero(buffer, sizeof buffer));
}

TEST(WipeString, ZerosTheWholeBufferAndKeepsIt) {
    for (std::string text : {std::string("short"), std::string("a password longer than the small-string room")}) {
        SCOPED_TRACE(text);
        const std::size_t length = text.size();
        const std::size_t capacity = text.capacity();
        const char* buffer = text.data();
        WipeString(text);
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(text.capacity(), capacity);
        ASSERT_EQ(text.data(), buffer);
        // Still the string's own room, so it may be looked at: the old text is gone from all of it.
        EXPECT_TRUE(AllZero(buffer, length));
    }
}

TEST(WipeString, ZerosTheSpareRoomOfAShortenedText) {
    std::string text = "a password longer than the small-string room";
    const std::size_t length = text.size();
    text.resize(3);
    const char* buffer = text.data();
    WipeString(text);
    ASSERT_EQ(text.data(), buffer);
    EXPECT_TRUE(AllZero(buffer, length));
}

}  // namespace
}  // namespace tf
