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

bool FindCell(float Left, float Top, float CellWidth, float CellHeight, float X, float Y,
    std::int16_t PiecesX, std::int16_t PiecesY, std::int16_t& Column, std::int16_t& Row)
{
    Column = 0;
    Row = 0;
    const float right = Left + static_cast<float>(PiecesX) * CellWidth;
    if (!(X > Left && X < right))
        return false;
    const float bottom = Top + static_cast<float>(PiecesY) * CellHeight;
    if (!(Y > Top && Y < bottom))
        return false;
    Column = countFor(X - Left, CellWidth, PiecesX);
    Row = countFor(Y - Top, CellHeight, PiecesY);
    return true;
}

bool areNeighbours(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY)
{
    return (toX == fromX && std::abs(toY - fromY) == 1) || (toY == fromY && std::abs(toX - fromX) == 1);
}

bool canMoveToEmpty(const BoardArray& board, std::int32_t fromX, std::int32_t fromY,
    std::int32_t toX, std::int32_t toY)
{
    if (board(toY, toX) != board.rows() * board.columns())
        return false;
    return areNeighbours(fromX, fromY, toX, toY);
}

bool isSolved(const BoardArray& board)
{
    bool solved = true;
    std::int32_t k = 0;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            if (board(r, c) != ++k)
                solved = false;
    return solved;
}

bool isSolvableBySlides(const BoardArray& board)
{
    const std::int32_t columns = board.columns();
    const std::int32_t rows = board.rows();
    const std::int32_t n = columns * rows;
    std::vector<std::int32_t> pieces;
    pieces.reserve(static_cast<std::size_t>(n));
    std::int32_t emptyX = 0, emptyY = 0;
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 1; c <= columns; ++c) {
            pieces.push_back(board(r, c));
            if (board(r, c) == n) {
                emptyX = c;
                emptyY = r;
            }
        }
    }
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
    const std::int32_t distance = (columns - emptyX) + (rows - emptyY);
    return permutationParity == distance % 2;
}

}  // namespace tessaron
