#pragma once
// The rules of play that need no screen: the hit test, the slide rule of the Difficult
// style, the solved test, and which Difficult positions slides can solve.

#include "core/board/board_state.h"
#include "core/board/place.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tessaron {

// The grid of places over the picture, in twips: `left` and `top` are the picture
// holder's outer corner, `cellWidth` and `cellHeight` a place's size.
struct CellGrid {
    float left = 0;
    float top = 0;
    float cellWidth = 0;
    float cellHeight = 0;
    std::int16_t columns = 0;
    std::int16_t rows = 0;
};

// The place under the point (x, y), in twips. Both outer bounds are strict and a point on
// an inner boundary belongs to the place left of it (or above it), so the column is
// ceil((x - left) / cellWidth). Nothing off the grid.
std::optional<Place> findCell(const CellGrid& grid, float x, float y);

// Places beside each other: same column and adjacent rows, or same row and adjacent
// columns. Diagonals, places further apart and the same place are not neighbours.
bool areNeighbours(Place a, Place b);

// The Difficult move: only into the empty place, and only from beside it.
bool canMoveToEmpty(Place empty, const Move& move);

// Every place holds its own number. Checks every place, not just until the first miss.
bool isSolved(const BoardArray& board);

// Whether slides of the empty place can bring the board back to its solved order. Each
// slide exchanges the empty piece with a neighbour: it flips the parity of the
// permutation and moves the empty place by one step, so the permutation's parity and the
// empty place's distance from home (in steps) must agree. A single row or column admits
// only the solved order with the empty place anywhere.
bool isSolvableBySlides(const BoardArray& board);
// The same for the pieces of a columns x rows board listed in reading order, for code
// that already holds them so.
bool isSolvableBySlides(std::span<const std::int16_t> pieces, std::int32_t columns, std::int32_t rows);

// The board's pieces row by row, each row from left to right.
std::vector<std::int16_t> piecesInReadingOrder(const BoardArray& board);

// The cycles of an arrangement given in reading order: following each piece to its own
// place leads back to the start; a piece at home is a cycle of its own.
std::int32_t countCycles(std::span<const std::int16_t> pieces);

// Where the last piece (the Difficult style's empty place) lies; looked for once, when a
// board is handed over, and then followed move by move.
Place findLastPiece(const BoardArray& board);

}  // namespace tessaron
