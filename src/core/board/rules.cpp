#include "core/board/rules.h"

#include <algorithm>
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

std::vector<std::int16_t> piecesInReadingOrder(const BoardArray& board)
{
    std::vector<std::int16_t> pieces;
    pieces.reserve(static_cast<std::size_t>(board.columns() * board.rows()));
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            pieces.push_back(board(c, r));
    return pieces;
}

std::int32_t countCycles(std::span<const std::int16_t> pieces)
{
    // Bytes, not bits, for the marks: a hint on the largest board walks 5,625 of them.
    std::vector<std::uint8_t> seen(pieces.size(), 0);
    std::int32_t cycles = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (seen[i])
            continue;
        ++cycles;
        for (std::size_t j = i; !seen[j]; j = static_cast<std::size_t>(pieces[j] - 1))
            seen[j] = 1;
    }
    return cycles;
}

bool isSolvableBySlides(const BoardArray& board)
{
    return isSolvableBySlides(piecesInReadingOrder(board), board.columns(), board.rows());
}

bool isSolvableBySlides(std::span<const std::int16_t> pieces, std::int32_t columns, std::int32_t rows)
{
    const std::int32_t n = columns * rows;
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
    // Each exchange of two pieces changes the number of cycles by one, so n minus the
    // number of cycles has the permutation's parity.
    const std::int32_t permutationParity = (n - countCycles(pieces)) % 2;
    const auto empty = static_cast<std::int32_t>(std::find(pieces.begin(), pieces.end(), n) - pieces.begin());
    const std::int32_t distance = (columns - 1 - empty % columns) + (rows - 1 - empty / columns);
    return permutationParity == distance % 2;
}

}  // namespace tessaron
