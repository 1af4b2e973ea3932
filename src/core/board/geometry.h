#pragma once
// Where each place of the board lies, in pixels, on the window's surface and on the
// scratch surface. All arithmetic is in 32-bit floats with divisions left to right, and a
// value is rounded (halves to even) only where it becomes a pixel coordinate, a sum as a
// whole. Neighbouring places may therefore overlap or leave a gap of one pixel; the grid
// lines are drawn over those seams.

#include "core/platform/surface.h"

#include <cstdint>

namespace tessaron {

struct PlaceGeometry {
    float twipsX = 15.0f;
    float twipsY = 15.0f;
    std::int16_t columns = 1;
    std::int16_t rows = 1;
    float width = 0.0f;           // inner width of the picture area, twips
    float height = 0.0f;          // inner height, twips
    std::int32_t left = 0;        // the picture area's corner, twips, in the window's client coordinates
    std::int32_t top = 0;

    // Piece size in pixels, fractional. Division by zero without a grid.
    float pieceWidth() const;
    float pieceHeight() const;

    // The four quotients every place rectangle is made of, computed once for many places.
    struct Scale {
        float pw, ph;   // piece size in pixels
        float bx, by;   // the board's corner in pixels
    };
    Scale scale() const;
    static PixelRect windowRect(const Scale& s, std::int32_t column, std::int32_t row);

    // Place (c, r), 1-based, on the window's surface. Every place is a piece's size.
    PixelRect windowRect(std::int32_t column, std::int32_t row) const;
    // A piece's size in whole pixels: what the scratch surface of exchanges must hold.
    PixelRect pieceRect() const;

    // The destination of the copy of the whole picture area.
    PixelRect pictureArea() const;
    // Everything inside the grid's frame: the picture area's corner up to the right and
    // bottom frame lines. Those are rounded from a sum, so they may lie a pixel past the
    // area's rounded size, and the last places reach up to them.
    PixelRect framedArea() const;

    // The bottom-right place as the empty place is blackened. Computed from the picture
    // size rather than from the piece size, so it may differ from windowRect of the same
    // place by one pixel.
    PixelRect emptyPlaceFill() const;
};

}  // namespace tessaron
