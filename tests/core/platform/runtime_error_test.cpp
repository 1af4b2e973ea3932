#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// Every error box shows this text, so its punctuation is part of what players see.
TEST(RuntimeError, MessageIsNumberFullStopTwoBlanksAndDescription)
{
    EXPECT_EQ(formatErrorMessage(RuntimeError(53)), "Error: 53.  File not found");
    // A given description replaces the table's.
    EXPECT_EQ(formatErrorMessage(RuntimeError(70, "Access is denied")), "Error: 70.  Access is denied");
}

}  // namespace
}  // namespace tessaron
