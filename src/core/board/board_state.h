#pragma once
// The state the whole game shares. The arrangement on the screen is not kept here: the
// main window's surface holds it, and every change of the board is made to both.

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

private:
    std::size_t index(std::int32_t row, std::int32_t column) const;

    std::int16_t rows_ = 0;
    std::int16_t columns_ = 0;
    std::vector<std::int16_t> cells_;
};

// A board for a grid of columns x rows in solved order.
BoardArray solvedBoard(std::int16_t columns, std::int16_t rows);

// The program-wide variables, one instance owned by the application; zero at start.
struct GameState {
    float TwipsX = 0.0f;             // twips per screen pixel, horizontally
    float TwipsY = 0.0f;             // and vertically
    std::int16_t PiecesX = 0;        // columns of the current puzzle, 1..75
    std::int16_t PiecesY = 0;        // rows, 1..75
    BoardArray Board;                // absent until the first puzzle
    std::int16_t LanguageCode = 0;   // 0 English, 1 Spanish, anything else: no texts
};

// The main window's description of the picture area and of the exchange under way.
// Twips geometry is kept in 32 bits: in 16 bits a picture wider than 2,184 pixels at
// 15 twips per pixel would overflow. Places stay 16-bit, like the piece counts.
struct BoardFields {
    std::int32_t MarginLeft = 0;    // twips, also the right margin
    std::int32_t MarginTop = 0;     // twips
    std::int32_t MarginBottom = 0;  // twips
    std::int32_t BoardLeft = 0;     // twips, inner top-left corner of the picture area
    std::int32_t BoardTop = 0;      // twips
    std::int16_t FromX = 0;         // picked place (column, row), 0, 0 when nothing is picked
    std::int16_t FromY = 0;
    std::int16_t ToX = 0;           // release place
    std::int16_t ToY = 0;
};

}  // namespace tessaron
