#pragma once
// What a board surface must show, whatever the shuffle did: in each place the part of the
// picture its piece comes from, or the window's colour past the picture. Only inside each
// place, `margin` pixels off its edges, where grid lines and rounding seams lie.

#include "core/board/puzzle.h"

#include <QImage>

namespace tessaron {

inline int wrongPiecePixels(const Puzzle& puzzle, const QImage& source, Pixel outside, int margin = 2, int step = 1)
{
    const PlaceGeometry places = puzzle.geometry();
    const PixelRect area = places.pictureArea();
    const BoardArray& cells = puzzle.board();
    int wrong = 0;
    for (int r = 1; r <= cells.rows(); ++r) {
        for (int c = 1; c <= cells.columns(); ++c) {
            const int piece = cells(r, c) - 1;
            const PixelRect at = places.windowRect(c, r);
            const PixelRect home = places.windowRect(piece % cells.columns() + 1, piece / cells.columns() + 1);
            for (int y = margin; y < at.h - margin; y += step) {
                for (int x = margin; x < at.w - margin; x += step) {
                    const QPoint from(home.x - area.x + x, home.y - area.y + y);
                    const Pixel expected = source.rect().contains(from) ? source.pixel(from) | 0xFF000000u : outside;
                    wrong += puzzle.boardSurface().pixel(at.x + x, at.y + y) != expected;
                }
            }
        }
    }
    return wrong;
}

}  // namespace tessaron
