#pragma once
// The game's random draws: a uniform u in [0, 1) gives floor(u * n) + 1, an integer in
// 1..n. The game seeds it from the time of day; tests seed it themselves.

#include <cstdint>
#include <random>

namespace tessaron {

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed);

    // An integer in 1..n (n >= 1).
    std::int32_t draw(std::int32_t n);

private:
    std::mt19937 generator_;
};

// The time of day at the clock's full resolution, so two puzzles made within one second
// still differ.
std::uint64_t timeOfDaySeed();

}  // namespace tessaron
