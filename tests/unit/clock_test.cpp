#include "render/clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::int64_t SECOND_MS = 1000;
constexpr std::int64_t DAY_MS = 86'400 * SECOND_MS;
// 720 turns at 25 degrees per second: 2 h 52 min 48 s.
constexpr std::int64_t PERIOD_MS = 10'368 * SECOND_MS;

TEST(RotationAngle, TwentyFiveDegreesPerSecond)
{
    EXPECT_EQ(rotationAngle(0), 0.0F);
    EXPECT_EQ(rotationAngle(1), 0.025F);
    EXPECT_EQ(rotationAngle(3'600), 90.0F);
    EXPECT_EQ(rotationAngle(14'400), 360.0F);
}

TEST(RotationAngle, StartsAgainAtAWholeTurnAfterEachPeriod)
{
    // 259,199.975 degrees, to the float's spacing of 1/64 there.
    EXPECT_EQ(rotationAngle(PERIOD_MS - 1), 259'199.96875F);
    EXPECT_EQ(rotationAngle(PERIOD_MS), 0.0F);
    EXPECT_EQ(rotationAngle(PERIOD_MS + 1), 0.025F);
    EXPECT_EQ(rotationAngle(5 * PERIOD_MS + 3'600), 90.0F);
}

TEST(RotationAngle, StaysFineAfterDaysAndYears)
{
    // 25 days is 208 periods and 240 turns; each millisecond still counts.
    EXPECT_EQ(rotationAngle(25 * DAY_MS), 86'400.0F);
    EXPECT_EQ(rotationAngle(25 * DAY_MS + SECOND_MS), 86'425.0F);
    EXPECT_EQ(rotationAngle(25 * DAY_MS + 1), 86'400.025F);
    EXPECT_EQ(rotationAngle(365 * DAY_MS + 3'600), 172'890.0F);
}

TEST(RotationAngle, ClockSetBackBeforeTheStartGivesAPositiveAngle)
{
    EXPECT_EQ(rotationAngle(-1), 259'199.96875F);
    EXPECT_EQ(rotationAngle(-3'600), 259'110.0F);
    EXPECT_EQ(rotationAngle(-PERIOD_MS), 0.0F);
    EXPECT_EQ(rotationAngle(-DAY_MS), 172'800.0F);
}

TEST(ElapsedMilliseconds, StartsNearZeroAndNeverRunsBackwardsInAQuietRun)
{
    const std::int64_t first = elapsedMilliseconds();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 60'000) << "the origin is taken at process start";
    EXPECT_GE(elapsedMilliseconds(), first);
}

} // namespace
