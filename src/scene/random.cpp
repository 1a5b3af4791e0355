#include "scene/random.h"

namespace {

std::uint32_t state = 0;

} // namespace

void seedRandom(std::uint32_t seed)
{
    state = seed;
}

int randomDraw()
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state = state * RANDOM_MULTIPLIER + RANDOM_INCREMENT;
    return static_cast<int>((state >> 16U) & 0x7FFFU);
}

float randomUnit()
{
    return unitFromDraw(randomDraw());
}
