// The program's own random source: a 15-bit linear congruential generator.
// It is kept here rather than taken from the C library so that a seed gives the
// same figure on every platform.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t RANDOM_MULTIPLIER = 214013U;
inline constexpr std::uint32_t RANDOM_INCREMENT = 2531011U;
inline constexpr int RANDOM_MAX = 32767;
// The float nearest to 1/32767: a draw of RANDOM_MAX scales to exactly 1.0.
inline constexpr float RANDOM_SCALE = 1.0F / static_cast<float>(RANDOM_MAX);

void seedRandom(std::uint32_t seed);

// One draw, from 0 to RANDOM_MAX inclusive.
[[nodiscard]] int randomDraw();

// One draw scaled to [0, 1]; both ends occur.
[[nodiscard]] float randomUnit();

[[nodiscard]] constexpr float unitFromDraw(int draw)
{
    return static_cast<float>(draw) * RANDOM_SCALE;
}

// Maps [0, 1] onto [-1, 1].
[[nodiscard]] constexpr float positionFromUnit(float unit)
{
    return unit + unit - 1.0F;
}
