#include "core/board/board_state.h"

#include "core/platform/runtime_error.h"

#include <utility>

namespace tessaron {

void BoardArray::allocate(std::int16_t piecesX, std::int16_t piecesY)
{
    if (piecesX < 0 || piecesY < 0)
        throw RuntimeError(err::SubscriptOutOfRange);
    rows_ = piecesY;
    columns_ = piecesX;
    cells_.assign(static_cast<std::size_t>(piecesY + 1) * static_cast<std::size_t>(piecesX + 1), 0);
}

BoardArray solvedBoard(std::int16_t columns, std::int16_t rows)
{
    BoardArray board;
    board.allocate(columns, rows);
    board.numberSolved();
    return board;
}

void BoardArray::numberSolved()
{
    std::int16_t count = 0;
    for (std::int32_t r = 1; r <= rows_; ++r)
        for (std::int32_t c = 1; c <= columns_; ++c)
            (*this)(r, c) = ++count;
}

std::size_t BoardArray::index(std::int32_t row, std::int32_t column) const
{
    if (cells_.empty() || row < 0 || row > rows_ || column < 0 || column > columns_)
        throw RuntimeError(err::SubscriptOutOfRange);
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_ + 1)
        + static_cast<std::size_t>(column);
}

std::int16_t& BoardArray::operator()(std::int32_t row, std::int32_t column)
{
    return cells_[index(row, column)];
}

std::int16_t BoardArray::operator()(std::int32_t row, std::int32_t column) const
{
    return cells_[index(row, column)];
}

void BoardArray::exchange(std::int32_t row1, std::int32_t column1, std::int32_t row2,
    std::int32_t column2)
{
    std::swap(cells_[index(row1, column1)], cells_[index(row2, column2)]);
}

}  // namespace tessaron
