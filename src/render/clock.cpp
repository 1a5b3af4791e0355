#include "render/clock.h"

#include <chrono>

namespace {

// The calendar clock, read once during static initialisation, before main.
const std::chrono::system_clock::time_point startTime = std::chrono::system_clock::now();

} // namespace

std::int64_t elapsedMilliseconds()
{
    const auto elapsed = std::chrono::system_clock::now() - startTime;
    return std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::milli>>(elapsed)
        .count();
}
