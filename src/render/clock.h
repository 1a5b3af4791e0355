// Elapsed real time since the process started, and the angle it gives.
#pragma once

#include <cstdint>

inline constexpr double ROTATION_DEGREES_PER_MS = 0.025; // 25 degrees per second

// Whole milliseconds of calendar time since process start-up. Kept in 64 bits
// so that the angle goes on growing after 2^31 ms (24.8 days).
[[nodiscard]] std::int64_t elapsedMilliseconds();

// The absolute angle for an elapsed time. Never reduced modulo 360: the figure's
// position depends on the clock alone, not on how many frames were drawn.
[[nodiscard]] constexpr float rotationAngle(std::int64_t elapsedMs)
{
    return static_cast<float>(static_cast<double>(elapsedMs) * ROTATION_DEGREES_PER_MS);
}
