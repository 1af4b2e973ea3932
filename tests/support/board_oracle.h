#pragma once
// What a board surface must show, whatever the shuffle and the moves did: in each place
// the part of the solved picture its piece comes from. Only inside each place, `margin`
// pixels off its edges, where grid lines and rounding seams lie.

#include "core/board/puzzle.h"

namespace tessaron {

// `expected(x, y)` is the solved picture's pixel at (x, y) from the picture area's corner.
template <typename Expected>
int wrongPiecePixels(const Puzzle& puzzle, const Expected& expected, int margin = 2)
{
    const PlaceGeometry places = puzzle.geometry();
    const PixelRect area = places.pictureArea();
    const BoardArray& cells = puzzle.board();
    int wrong = 0;
    for (int r = 1; r <= cells.rows(); ++r) {
        for (int c = 1; c <= cells.columns(); ++c) {
            const int piece = cells(c, r) - 1;
            const PixelRect at = places.windowRect(c, r);
            const PixelRect home = places.windowRect(piece % cells.columns() + 1, piece / cells.columns() + 1);
            for (int y = margin; y < at.h - margin; ++y)
                for (int x = margin; x < at.w - margin; ++x)
                    wrong += puzzle.boardSurface().pixel(at.x + x, at.y + y) != expected(home.x - area.x + x, home.y - area.y + y);
        }
    }
    return wrong;
}

}  // namespace tessaron
