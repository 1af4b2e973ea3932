#include "core/platform/arithmetic.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace tessaron {
namespace {

// Each value's nearest integer with halves to the even neighbour, or none for what has no
// 32-bit one; the 16-bit rounding must agree with it or raise Overflow.
TEST(Rounding, HalvesGoToTheEvenNeighbourAndWhatDoesNotFitOverflows)
{
    const struct { float value; std::optional<std::int64_t> rounded; } cases[] = {
        {0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {-0.5f, 0}, {-1.5f, -2}, {-2.5f, -2}, {0.49999997f, 0},
        {2.5000002f, 3}, {-2.6f, -3}, {142.857f, 143}, {1e6f + 0.5f, 1000000},
        {5000000.5f, 5000000},  // past the fast path's range
        {32767.4f, 32767}, {32767.5f, 32768}, {-32768.5f, -32768}, {-32769.0f, -32769},
        {-2147483648.0f, std::numeric_limits<std::int32_t>::min()}, {2147483648.0f, {}}, {3.0e9f, {}}, {std::numeric_limits<float>::quiet_NaN(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const bool fits16 = c.rounded && *c.rounded >= -32768 && *c.rounded <= 32767;
        std::int64_t rounded32 = 0, rounded16 = 0;
        EXPECT_EQ(errorNumberOf([&] { rounded32 = roundToInt32(c.value); }), c.rounded ? kNoError : err::Overflow);
        EXPECT_EQ(errorNumberOf([&] { rounded16 = roundToInt16(c.value); }), fits16 ? kNoError : err::Overflow);
        EXPECT_EQ(rounded32, c.rounded.value_or(0));
        EXPECT_EQ(rounded16, fits16 ? *c.rounded : 0);
    }
    // A board without columns must not turn into infinities.
    EXPECT_EQ(errorNumberOf([] { divide(6000.0f, 0.0f); }), err::DivisionByZero);
}

}  // namespace
}  // namespace tessaron
