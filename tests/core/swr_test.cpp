#include "core/swr.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(Swr, FollowsTheReflectedShareUpToTheEndStop) {
    EXPECT_DOUBLE_EQ(swr(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(swr(0, 50), 1.0); // no forward power: nothing to compare with
    EXPECT_DOUBLE_EQ(swr(1000, 0), 1.0);
    EXPECT_NEAR(swr(900, 100), 2.0, 1e-9); // reflection 1/3
    EXPECT_NEAR(swr(400, 16), 1.5, 1e-9);
    EXPECT_DOUBLE_EQ(swr(100, 100), kSwrMax);
    EXPECT_DOUBLE_EQ(swr(100, 99), kSwrMax); // 1990:1 is off the scale too
}

} // namespace
} // namespace tarvex
