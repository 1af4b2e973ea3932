#pragma once
// Which piece lies at which place. The arrangement on the screen is not kept here: the
// puzzle's board surface holds it, and the puzzle changes both together.

#include "core/board/place.h"

#include <cstdint>
#include <vector>

namespace tessaron {

// Which piece lies at which place, addressed (column, row) like every place in the game:
// columns 0..columns(), rows 0..rows(); column 0 and row 0 exist but are never used, so
// places are 1-based. Piece n is the part of the picture at column ((n - 1) mod columns)
// + 1, row ((n - 1) div columns) + 1: a place is right when its cell holds its own number.
class BoardArray {
public:
    BoardArray() = default;

    // Allocates anew for a grid, old contents discarded, every cell 0.
    void allocate(std::int16_t columns, std::int16_t rows);
    // Stores the solved order: the cell of column c, row r gets (r - 1) * columns + c.
    void numberSolved();

    bool exists() const { return !cells_.empty(); }
    std::int16_t columns() const { return columns_; }
    std::int16_t rows() const { return rows_; }
    // The number of the last piece: the Difficult style's empty place.
    std::int16_t lastPiece() const { return static_cast<std::int16_t>(columns_ * rows_); }

    // Raises Subscript out of range outside 0..columns(), 0..rows().
    std::int16_t& operator()(std::int32_t column, std::int32_t row);
    std::int16_t operator()(std::int32_t column, std::int32_t row) const;
    std::int16_t operator[](Place place) const { return (*this)(place.column, place.row); }

    // Exchanges two cells, the only way the board changes during play.
    void exchange(Place a, Place b);

    friend bool operator==(const BoardArray&, const BoardArray&) = default;

private:
    std::size_t index(std::int32_t column, std::int32_t row) const;

    std::int16_t columns_ = 0;
    std::int16_t rows_ = 0;
    std::vector<std::int16_t> cells_;
};

// A board for a grid of columns x rows in solved order.
BoardArray solvedBoard(std::int16_t columns, std::int16_t rows);

}  // namespace tessaron
