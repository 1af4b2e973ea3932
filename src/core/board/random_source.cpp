#include "core/board/random_source.h"

#include <chrono>
#include <ctime>

namespace tessaron {

RandomSource::RandomSource(std::uint64_t seed)
{
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32)};
    generator_.seed(sequence);
}

std::int32_t RandomSource::draw(std::int32_t n)
{
    // 32 random bits over 2^32 is exactly uniform in [0, 1), and u * n in double never
    // rounds up to n.
    const double u = static_cast<double>(generator_()) / 4294967296.0;
    return static_cast<std::int32_t>(u * n) + 1;
}

std::uint64_t timeOfDaySeed()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto sinceMidnight = static_cast<std::uint64_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
    const auto fraction = std::chrono::duration_cast<std::chrono::nanoseconds>(
        now.time_since_epoch() % std::chrono::seconds(1)).count();
    return sinceMidnight * 1000000000u + static_cast<std::uint64_t>(fraction);
}

}  // namespace tessaron
