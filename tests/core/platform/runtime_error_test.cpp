#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(RuntimeError, ReportsNumberAndDescriptionFromTheTable)
{
    const struct {
        int number;
        const char* message;
    } cases[] = {
        {6, "Error: 6.  Overflow"}, {7, "Error: 7.  Out of memory"},
        {11, "Error: 11.  Division by zero"}, {13, "Error: 13.  Type mismatch"},
        {53, "Error: 53.  File not found"}, {62, "Error: 62.  Input past end of file"},
        {68, "Error: 68.  Device unavailable"}, {70, "Error: 70.  Permission denied"},
        {75, "Error: 75.  Path/File access error"}, {76, "Error: 76.  Path not found"},
        {481, "Error: 481.  Invalid picture"},
    };
    for (const auto& c : cases) {
        const RuntimeError error(c.number);
        EXPECT_EQ(error.number(), c.number);
        EXPECT_EQ(formatErrorMessage(error), c.message);
        EXPECT_STREQ(error.what(), c.message);
    }
    // An unknown number still has a description, and a given one replaces the table's.
    EXPECT_FALSE(errorDescription(12345).empty());
    EXPECT_EQ(formatErrorMessage(RuntimeError(70, "Access is denied")), "Error: 70.  Access is denied");
}

}  // namespace
}  // namespace tessaron
