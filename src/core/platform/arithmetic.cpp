#include "core/platform/arithmetic.h"

#include "core/platform/runtime_error.h"

#include <cmath>
#include <limits>

namespace tessaron {
namespace {

template <typename Int, typename Float>
Int roundChecked(Float value)
{
    // nearbyint rounds in the current mode, which is round-to-nearest-even unless
    // somebody changed it; the game never does.
    const Float rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<Float>(std::numeric_limits<Int>::min())
          && rounded <= static_cast<Float>(std::numeric_limits<Int>::max())))
        throw RuntimeError(err::Overflow);
    return static_cast<Int>(rounded);
}

}  // namespace

std::int32_t roundToInt32(double value) { return roundChecked<std::int32_t>(value); }

std::int16_t roundToInt16(float value) { return roundChecked<std::int16_t>(value); }

std::int16_t toInt16(std::int64_t value)
{
    if (value < std::numeric_limits<std::int16_t>::min()
        || value > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(err::Overflow);
    return static_cast<std::int16_t>(value);
}

float divide(float numerator, float denominator)
{
    if (denominator == 0.0f)
        throw RuntimeError(err::DivisionByZero);
    return numerator / denominator;
}

}  // namespace tessaron
