#include "core/board/board_state.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(BoardArray, SolvedOrderIsRowByRowAndRowAndColumnZeroExistButNothingBeyond)
{
    EXPECT_FALSE(BoardArray().exists());
    const BoardArray board = solvedBoard(4, 3);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(board(r, c), (r - 1) * 4 + c);  // 12, bottom right, is the empty place
    EXPECT_EQ(board(0, 0), 0);
    for (auto [row, column] : {std::pair{4, 1}, {1, 5}, {-1, 1}})
        EXPECT_EQ(errorNumberOf([&] { board(row, column); }), err::SubscriptOutOfRange) << row << "," << column;
}

}  // namespace
}  // namespace tessaron
