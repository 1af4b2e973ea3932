#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// Every error box shows this text, so its punctuation is part of what players see.
TEST(RuntimeError, MessageIsNumberFullStopTwoBlanksAndDescription)
{
    EXPECT_EQ(formatErrorMessage(RuntimeError(err::FileNotFound)), "Error: 53.  File not found");
}

}  // namespace
}  // namespace tessaron
