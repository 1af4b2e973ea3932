#include "core/board/board_state.h"
#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaron {
namespace {

std::vector<std::int16_t> placesRowByRow(const BoardArray& board)
{
    std::vector<std::int16_t> cells;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            cells.push_back(board(r, c));
    return cells;
}

TEST(BoardArray, SolvedOrderIsRowByRowAndRowAndColumnZeroExistButNothingBeyond)
{
    BoardArray board;
    EXPECT_FALSE(board.exists());
    board.allocate(4, 3);
    EXPECT_EQ(board(3, 4), 0);
    board.numberSolved();
    EXPECT_EQ(placesRowByRow(board),
        (std::vector<std::int16_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(board(3, 4), 12);  // the empty place of the Difficult style
    EXPECT_EQ(board(0, 0), 0);
    for (auto [row, column] : {std::pair{4, 1}, {1, 5}, {-1, 1}}) {
        try {
            board(row, column);
            ADD_FAILURE() << row << "," << column;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::SubscriptOutOfRange);
        }
    }

    board.allocate(1, 1);
    board.numberSolved();
    EXPECT_EQ(placesRowByRow(board), std::vector<std::int16_t>{1});
}

}  // namespace
}  // namespace tessaron
