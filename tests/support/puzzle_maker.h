#pragma once
// Puzzles for the core tests: a picture whose every pixel differs, laid out with its
// margins at a corner that is not a whole number of pixels.

#include "core/board/puzzle.h"
#include "core/board/puzzle_plan.h"

#include <algorithm>
#include <ostream>

namespace tessaron {

inline void PrintTo(const Place& place, std::ostream* out) { *out << place.column << "," << place.row; }
inline void PrintTo(const Move& move, std::ostream* out) { PrintTo(move.from, out); *out << " -> "; PrintTo(move.to, out); }

namespace test {

// A picture whose every pixel differs, none of them black.
inline Surface patterned(std::int32_t width, std::int32_t height)
{
    Surface picture(width, height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            picture.row(y)[x] = 0xFF000000u | (static_cast<Pixel>(y) << 12) | static_cast<Pixel>(x + 1);
    return picture;
}

inline Puzzle makePuzzle(std::int16_t columns, std::int16_t rows, std::int32_t width, std::int32_t height,
    PuzzleStyle style = PuzzleStyle::Normal)
{
    PuzzlePlan plan;
    plan.columns = columns;
    plan.rows = rows;
    plan.style = style;
    plan.layout.left = 322;
    plan.layout.top = 233;
    plan.layout.picWidth = static_cast<float>(width) * 15;
    plan.layout.picHeight = static_cast<float>(height) * 15;
    plan.boardWidth = width + 50;
    plan.boardHeight = height + 50;
    return Puzzle::build(patterned(width + 1, height + 1), plan);
}

inline bool sameSurface(const Surface& a, const Surface& b)
{
    return a.width() == b.width() && a.height() == b.height()
        && std::equal(a.data(), a.data() + a.width() * a.height(), b.data());
}

}  // namespace test
}  // namespace tessaron
