#include "scene/random.h"

namespace {

std::uint32_t state = 0;

// A draw is bits 16 to 30 of the state: the low bits of an LCG with a
// power-of-two modulus have short periods.
constexpr unsigned int DRAW_SHIFT = 16U;
constexpr auto DRAW_MASK = static_cast<std::uint32_t>(RANDOM_MAX);

} // namespace

void seedRandom(std::uint32_t seed)
{
    state = seed;
}

int randomDraw()
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state = (state * RANDOM_MULTIPLIER) + RANDOM_INCREMENT;
    return static_cast<int>((state >> DRAW_SHIFT) & DRAW_MASK);
}

float randomUnit()
{
    return unitFromDraw(randomDraw());
}
