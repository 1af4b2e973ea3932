#include "core/board/board_state.h"

#include "core/platform/runtime_error.h"

#include <utility>

namespace tessaron {

void BoardArray::allocate(std::int16_t columns, std::int16_t rows)
{
    if (columns < 0 || rows < 0)
        throw RuntimeError(err::SubscriptOutOfRange);
    columns_ = columns;
    rows_ = rows;
    cells_.assign(static_cast<std::size_t>(columns + 1) * static_cast<std::size_t>(rows + 1), 0);
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
            (*this)(c, r) = ++count;
}

std::size_t BoardArray::index(std::int32_t column, std::int32_t row) const
{
    if (cells_.empty() || row < 0 || row > rows_ || column < 0 || column > columns_)
        throw RuntimeError(err::SubscriptOutOfRange);
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_ + 1)
        + static_cast<std::size_t>(column);
}

std::int16_t& BoardArray::operator()(std::int32_t column, std::int32_t row)
{
    return cells_[index(column, row)];
}

std::int16_t BoardArray::operator()(std::int32_t column, std::int32_t row) const
{
    return cells_[index(column, row)];
}

void BoardArray::exchange(Place a, Place b)
{
    std::swap(cells_[index(a.column, a.row)], cells_[index(b.column, b.row)]);
}

}  // namespace tessaron
