#pragma once
// The game's numeric rules: 32-bit floats, conversions to integers that round to the
// nearest value with halves to the even neighbour, and 16-bit integers that raise
// Overflow instead of wrapping.

#include <cmath>
#include <cstdint>

namespace tessaron {

// Round to the nearest integer, halves to even (0.5 -> 0, 1.5 -> 2, -0.5 -> 0, -1.5 -> -2).
// Raises Overflow when the value does not fit in 32 bits or is not a number.
std::int32_t roundToInt32(double value);
inline std::int32_t roundToInt32(float value)
{
    // Every board coordinate goes through here, tens of thousands of times a shuffle.
    // Adding and taking away 1.5 * 2^23 leaves the float rounded to an integer, halves
    // to even, for any |value| below 2^22; larger values and NaN take the checked path.
    if (std::fabs(value) < 4194304.0f)
        return static_cast<std::int32_t>((value + 12582912.0f) - 12582912.0f);
    return roundToInt32(static_cast<double>(value));
}

// The same rounding into a signed 16-bit integer: Overflow outside -32768..32767.
std::int16_t roundToInt16(float value);

// Checked narrowing of an integer result into 16 bits.
std::int16_t toInt16(std::int64_t value);

// Float division that raises Division by zero for a zero divisor, as the game's
// arithmetic does (a board without columns must not silently produce infinities).
float divide(float numerator, float denominator);

}  // namespace tessaron
