#include "core/board/board_text.h"

#include "support/board_search.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(BoardText, WritesAndReadsBackEveryShape)
{
    const struct { BoardArray board; const char* text; } cases[] = {
        {solvedBoard(3, 3), "3x3:1 2 3 4 5 6 7 8 0"},
        {solvedBoard(1, 1), "1x1:0"},
        {boardFrom(2, 3, {6, 1, 2, 3, 4, 5}), "2x3:0 1 2 3 4 5"},
        {boardFrom(1, 2, {2, 1}), "1x2:0 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(boardText(c.board), c.text);
        EXPECT_EQ(boardFromText(c.text), c.board) << c.text;
    }
    const BoardArray largest = solvedBoard(75, 75);
    EXPECT_EQ(boardFromText(boardText(largest)), largest);
}

TEST(BoardText, RefusesAnythingElse)
{
    for (const char* text : {"", "3x3", "3x3:", "3x3:1 2 3 4 5 6 7 8", "3x3:1 2 3 4 5 6 7 8 0 ", "3x3:1 2 3 4 5 6 7 8  0",
             "3x3:1 2 3 4 5 6 7 8 0 9", "3x3:1 2 3 4 5 6 7 8 9", "3x3:1 1 3 4 5 6 7 8 0", "3x3:1 2 3 4 5 6 7 08 0",
             "3X3:1 2 3 4 5 6 7 8 0", " 3x3:1 2 3 4 5 6 7 8 0", "3x3:-1 2 3 4 5 6 7 8 0", "0x1:", "1x0:", "76x1:0",
             "2x1:1 +0", "1x1:0\n", "2x1:1,0"})
        EXPECT_FALSE(boardFromText(text)) << '"' << text << '"';
}

}  // namespace
}  // namespace tessaron
