#pragma once
// The game's numeric rules: 32-bit floats, conversions to integers that round to the
// nearest value with halves to the even neighbour, and 16-bit integers that raise
// Overflow instead of wrapping.

#include <cstdint>

namespace tessaron {

// Round to the nearest integer, halves to even (0.5 -> 0, 1.5 -> 2, -0.5 -> 0, -1.5 -> -2).
// Raises Overflow when the value does not fit in 32 bits or is not a number.
std::int32_t roundToInt32(float value);
std::int32_t roundToInt32(double value);

// The same rounding into a signed 16-bit integer: Overflow outside -32768..32767.
std::int16_t roundToInt16(float value);

// Checked narrowing of an integer result into 16 bits.
std::int16_t toInt16(std::int64_t value);

// Float division that raises Division by zero for a zero divisor, as the game's
// arithmetic does (a board without columns must not silently produce infinities).
float divide(float numerator, float denominator);

}  // namespace tessaron
