#include "core/board/rules.h"

#include <cstdlib>
#include <vector>

namespace tessaron {

namespace {

std::int16_t countFor(float offset, float cell, std::int16_t pieces)
{
    // Steps in floats exactly as the game's loop does; capped so that rounding at the far
    // edge can never name a place past the last.
    std::int32_t n = 0;
    while (n < pieces - 1 && offset - static_cast<float>(n) * cell > cell)
        ++n;
    return static_cast<std::int16_t>(n + 1);
}

}  // namespace

std::optional<Place> findCell(const CellGrid& grid, float x, float y)
{
    const float right = grid.left + static_cast<float>(grid.columns) * grid.cellWidth;
    if (!(x > grid.left && x < right))
        return std::nullopt;
    const float bottom = grid.top + static_cast<float>(grid.rows) * grid.cellHeight;
    if (!(y > grid.top && y < bottom))
        return std::nullopt;
    return Place{countFor(x - grid.left, grid.cellWidth, grid.columns), countFor(y - grid.top, grid.cellHeight, grid.rows)};
}

bool areNeighbours(Place a, Place b)
{
    return (a.column == b.column && std::abs(a.row - b.row) == 1)
        || (a.row == b.row && std::abs(a.column - b.column) == 1);
}

bool canMoveToEmpty(Place empty, const Move& move) { return move.to == empty && areNeighbours(move.from, move.to); }

bool isSolved(const BoardArray& board)
{
    bool solved = true;
    std::int32_t k = 0;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            if (board(c, r) != ++k)
                solved = false;
    return solved;
}

Place findLastPiece(const BoardArray& board)
{
    for (std::int16_t r = 1; r <= board.rows(); ++r)
        for (std::int16_t c = 1; c <= board.columns(); ++c)
            if (board(c, r) == board.lastPiece())
                return {c, r};
    return {};
}

bool isSolvableBySlides(const BoardArray& board)
{
    const std::int32_t columns = board.columns();
    const std::int32_t rows = board.rows();
    const std::int32_t n = columns * rows;
    std::vector<std::int32_t> pieces;
    pieces.reserve(static_cast<std::size_t>(n));
    for (std::int32_t r = 1; r <= rows; ++r)
        for (std::int32_t c = 1; c <= columns; ++c)
            pieces.push_back(board(c, r));
    if (rows == 1 || columns == 1) {
        // Slides only move the empty place along the line: the others keep their order.
        std::int32_t expected = 1;
        for (std::int32_t piece : pieces) {
            if (piece == n)
                continue;
            if (piece != expected++)
                return false;
        }
        return true;
    }
    // Parity of the permutation by counting cycles: n minus the number of cycles.
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    std::int32_t cycles = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        if (seen[static_cast<std::size_t>(i)])
            continue;
        ++cycles;
        for (std::int32_t j = i; !seen[static_cast<std::size_t>(j)]; j = pieces[static_cast<std::size_t>(j)] - 1)
            seen[static_cast<std::size_t>(j)] = true;
    }
    const std::int32_t permutationParity = (n - cycles) % 2;
    const Place empty = findLastPiece(board);
    const std::int32_t distance = (columns - empty.column) + (rows - empty.row);
    return permutationParity == distance % 2;
}

}  // namespace tessaron
