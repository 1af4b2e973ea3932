#pragma once
// Which piece lies at which place. The arrangement on the screen is not kept here: the
// puzzle's board surface holds it, and the puzzle changes both together.

#include <cstdint>
#include <vector>

namespace tessaron {

// Which piece lies at which place. Addressed (row, column), row first, rows 0..PiecesY and
// columns 0..PiecesX; row 0 and column 0 exist but are never used, so places are 1-based.
// Piece n is the part of the picture at column ((n - 1) mod PiecesX) + 1, row
// ((n - 1) div PiecesX) + 1: a place is right when its cell holds its own number.
class BoardArray {
public:
    BoardArray() = default;

    // Allocates anew for a grid, old contents discarded, every cell 0.
    void allocate(std::int16_t piecesX, std::int16_t piecesY);
    // Stores the solved order: the cell of row r, column c gets (r - 1) * PiecesX + c.
    void numberSolved();

    bool exists() const { return !cells_.empty(); }
    std::int16_t rows() const { return rows_; }        // PiecesY
    std::int16_t columns() const { return columns_; }  // PiecesX

    // Raises Subscript out of range outside 0..PiecesY, 0..PiecesX.
    std::int16_t& operator()(std::int32_t row, std::int32_t column);
    std::int16_t operator()(std::int32_t row, std::int32_t column) const;

    // Exchanges two cells, the only way the board changes during play.
    void exchange(std::int32_t row1, std::int32_t column1, std::int32_t row2, std::int32_t column2);

    friend bool operator==(const BoardArray&, const BoardArray&) = default;

private:
    std::size_t index(std::int32_t row, std::int32_t column) const;

    std::int16_t rows_ = 0;
    std::int16_t columns_ = 0;
    std::vector<std::int16_t> cells_;
};

// A board for a grid of columns x rows in solved order.
BoardArray solvedBoard(std::int16_t columns, std::int16_t rows);

}  // namespace tessaron
