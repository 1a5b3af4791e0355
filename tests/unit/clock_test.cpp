#include "render/clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(RotationAngle, GrowsAtTwentyFiveDegreesPerSecond)
{
    EXPECT_EQ(rotationAngle(0), 0.0F);
    EXPECT_EQ(rotationAngle(3600), 90.0F);
    EXPECT_EQ(rotationAngle(14400), 360.0F);
    EXPECT_EQ(rotationAngle(1), static_cast<float>(0.025));
}

TEST(RotationAngle, KeepsGrowingPastThirtyTwoBitMilliseconds)
{
    // 2^31 ms is about 24.8 days; a 32-bit count would wrap to a negative angle.
    constexpr std::int64_t wrapPoint = std::int64_t{1} << 31;
    const float before = rotationAngle(wrapPoint - 1);
    const float after = rotationAngle(wrapPoint + 1000);
    EXPECT_GT(before, 0.0F);
    EXPECT_GT(after, before);
    EXPECT_FLOAT_EQ(after, static_cast<float>(static_cast<double>(wrapPoint + 1000) * 0.025));
    // Absolute, never reduced modulo 360.
    EXPECT_GT(after, 5.0e7F);
}

TEST(ElapsedMilliseconds, StartsNearZeroAndNeverRunsBackwardsInAQuietRun)
{
    const std::int64_t first = elapsedMilliseconds();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 60'000) << "the origin is taken at process start";
    EXPECT_GE(elapsedMilliseconds(), first);
}

} // namespace
