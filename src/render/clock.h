// Elapsed real time since the process started, and the angle it gives.
#pragma once

#include <cstdint>

inline constexpr double ROTATION_DEGREES_PER_MS = 0.025; // 25 degrees per second

// 720 whole turns of 14.4 s: 2 h 52 min 48 s.
inline constexpr std::int64_t ANGLE_PERIOD_MS = 10'368'000;

// Whole milliseconds of calendar time since process start-up. Kept in 64 bits
// so that it goes on counting after 2^31 ms (24.8 days).
[[nodiscard]] std::int64_t elapsedMilliseconds();

// The absolute angle for an elapsed time, worked out afresh from the clock for
// every frame and never accumulated: the figure's position depends on the clock
// alone, not on how many frames were drawn.
//
// A float's spacing grows with its size, so an angle left to grow would move in
// steps of 4 degrees after 25 days and 64 after a year. Whole periods of 720
// turns are taken off first, which keeps every angle below 259,200 degrees,
// where the spacing is 1/64 degree, finer than one millisecond's 0.025. A whole
// turn gives the same picture, so the figure never jumps at a period's end. The
// remainder is taken non-negative, also for a clock set back before the start.
[[nodiscard]] constexpr float rotationAngle(std::int64_t elapsedMs)
{
    const std::int64_t remainder = elapsedMs % ANGLE_PERIOD_MS;
    const std::int64_t reduced = remainder < 0 ? remainder + ANGLE_PERIOD_MS : remainder;
    return static_cast<float>(static_cast<double>(reduced) * ROTATION_DEGREES_PER_MS);
}
