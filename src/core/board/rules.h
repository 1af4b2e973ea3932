#pragma once
// The rules of play that need no screen: the hit test, the slide rule of the Difficult
// style, the solved test, and which Difficult positions slides can solve.

#include "core/board/board_state.h"

#include <cstdint>

namespace tessaron {

// The place under the point (X, Y), all in twips: Left and Top are the picture holder's
// outer corner, CellWidth and CellHeight a place's size. Both outer bounds are strict
// and a point on an inner boundary belongs to the place left of it (or above it), so
// Column = ceil((X - Left) / CellWidth). A miss leaves 0, 0 and returns false.
bool FindCell(float Left, float Top, float CellWidth, float CellHeight, float X, float Y,
    std::int16_t PiecesX, std::int16_t PiecesY, std::int16_t& Column, std::int16_t& Row);

// Places beside each other: same column and adjacent rows, or same row and adjacent
// columns. Diagonals, places further apart and the same place are not neighbours.
bool areNeighbours(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY);

// The Difficult move: only into the empty place (the cell holding PiecesX * PiecesY),
// and only from beside it.
bool canMoveToEmpty(const BoardArray& board, std::int32_t fromX, std::int32_t fromY,
    std::int32_t toX, std::int32_t toY);

// Every place holds its own number. Checks every place, not just until the first miss.
bool isSolved(const BoardArray& board);

// Whether slides of the empty place can bring the board back to its solved order. Each
// slide exchanges the empty piece with a neighbour: it flips the parity of the
// permutation and moves the empty place by one step, so the permutation's parity and the
// empty place's distance from home (in steps) must agree. A single row or column admits
// only the solved order with the empty place anywhere.
bool isSolvableBySlides(const BoardArray& board);

}  // namespace tessaron
