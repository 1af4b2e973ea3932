#include "core/platform/runtime_error.h"
#include "core/platform/vb_math.h"

#include <gtest/gtest.h>

#include <limits>

namespace tessaron {
namespace {

int errorNumberOf(auto&& call)
{
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(Rounding, HalvesGoToTheEvenNeighbourUpToTheSixteenBitBoundary)
{
    const struct {
        float value;
        std::int32_t rounded;
    } cases[] = {
        {0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {3.5f, 4}, {-0.5f, 0}, {-1.5f, -2}, {-2.5f, -2},
        {0.49999997f, 0}, {2.5000002f, 3}, {-2.6f, -3}, {142.857f, 143},
        {32767.4f, 32767}, {-32768.5f, -32768},  // -32768 is even
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundToInt32(c.value), c.rounded) << c.value;
        EXPECT_EQ(roundToInt16(c.value), c.rounded) << c.value;
    }
    EXPECT_EQ(roundToInt32(1e6f + 0.5f), 1000000);
    EXPECT_EQ(roundToInt32(2.5), 2);
    EXPECT_EQ(roundToInt32(-2147483648.0f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toInt16(32767), 32767);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_FLOAT_EQ(divide(6000.0f, 4.0f), 1500.0f);
}

TEST(Rounding, OverflowNotANumberAndDivisionByZeroAreErrors)
{
    EXPECT_EQ(errorNumberOf([] { roundToInt16(32767.5f); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { roundToInt16(-32769.0f); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { toInt16(32768); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { toInt16(-32769); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { roundToInt32(3.0e9f); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { roundToInt32(2147483648.0f); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { roundToInt32(std::numeric_limits<float>::quiet_NaN()); }),
        err::Overflow);
    // Not infinity.
    EXPECT_EQ(errorNumberOf([] { divide(6000.0f, 0.0f); }), err::DivisionByZero);
}

}  // namespace
}  // namespace tessaron
