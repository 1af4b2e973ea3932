#pragma once
// Drawing on the board. The window's surface itself holds the arrangement: nothing is
// redrawn from the board array, every change copies rectangles of pixels.

#include "core/board/geometry.h"
#include "core/board/place.h"
#include "core/platform/surface.h"

#include <cstdint>
#include <span>

namespace tessaron {

// A line given in twips, converted to pixels by the twips factors (rounded half to even)
// and drawn one pixel wide with both ends included. Only the grid's horizontal and
// vertical lines are ever drawn.
// With `within`, only the parts of the line inside those rectangles are drawn.
PixelRect drawLineTwips(Surface& surface, float twipsX, float twipsY, float x1, float y1,
    float x2, float y2, Pixel colour, std::span<const PixelRect> within = {});

// The grid over the picture area: columns + 1 vertical and rows + 1 horizontal black
// lines at exact fractions of the area in twips, the first and last framing it.
// Positions are computed in 64-bit floating point and handed on as 32-bit floats.
// After a move only the two places changed, so the grid needs drawing only there:
// `within` limits the lines to those rectangles, with the same result on the surface.
// The area's size is rounded to whole twips first.
PixelRect drawGrid(Surface& window, const PlaceGeometry& geometry, std::span<const PixelRect> within = {});

// Exchanges the images of place A = move.from and place B = move.to with three
// block copies, in this order: A on the window -> the scratch surface's corner; B on the
// window -> A on the window; the scratch surface's corner -> B on the window. Every place
// is a piece's size, so the scratch surface need hold only one piece, and it is left
// holding A's former image. Returns the area changed.
PixelRect exchangePlaces(Surface& window, Surface& scratch, const PlaceGeometry& geometry, const Move& move);

// The whole picture area, up to the grid's frame, copied from the picture's top-left
// corner onto the window.
PixelRect copyPictureArea(Surface& window, const Surface& picture, const PlaceGeometry& geometry);

// A new puzzle in solved order: the window cleared to its background, the picture area
// copied, the grid over it.
void drawPicture(Surface& window, const Surface& picture, const PlaceGeometry& geometry, Pixel background);

// The bottom-right place painted black: the empty place of the Difficult style.
PixelRect blackenEmptyPlace(Surface& window, const PlaceGeometry& geometry);

}  // namespace tessaron
