#include "core/board/board_state.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(BoardArray, SolvedOrderIsRowByRowAddressedColumnFirstAndNothingBeyondTheGrid)
{
    EXPECT_FALSE(BoardArray().exists());
    BoardArray board = solvedBoard(4, 3);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(board(c, r), (r - 1) * 4 + c);
    EXPECT_EQ(board.lastPiece(), 12);  // bottom right: the empty place
    board.exchange({4, 1}, {1, 3});
    EXPECT_EQ((board[Place{4, 1}]), 9);
    EXPECT_EQ(board(1, 3), 4);
    for (auto [column, row] : {std::pair{5, 1}, {1, 4}, {-1, 1}})
        EXPECT_EQ(errorNumberOf([&] { board(column, row); }), err::SubscriptOutOfRange) << column << "," << row;
}

}  // namespace
}  // namespace tessaron
