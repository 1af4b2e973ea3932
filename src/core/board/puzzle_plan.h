#pragma once
// Planning a puzzle for this screen: how the window is laid out around a picture, how
// much of a large picture takes part (the screen cuts it at its right and bottom edges),
// or to what size it is scaled to show whole, and the plan a puzzle is built from.

#include "core/board/layout.h"
#include "core/board/puzzle.h"
#include "core/platform/surface.h"

#include <cstdint>

namespace tessaron {

// What only the window can measure. Lengths in the window system's layout pixels; on a
// high-resolution screen each holds devicePixelRatio device pixels a side, and the
// board is drawn in those.
struct WindowMeasures {
    float twipsPerPixelX = 15.0f;
    float twipsPerPixelY = 15.0f;
    double devicePixelRatio = 1.0;
    std::int32_t frameWidth = 0;      // the window's frame: borders, title
    std::int32_t frameHeight = 0;
    std::int32_t menuBarHeight = 0;   // at the window's present width
    std::int32_t screenWidth = 0;     // the screen less its panels
    std::int32_t screenHeight = 0;
    Pixel background = kWhite;        // the window's colour

    // Twips per device pixel: the board's own unit, and a picture's.
    float boardTwipsX() const;
    float boardTwipsY() const;
};

// The window laid out around a picture of that many device pixels.
Layout layoutFor(const WindowMeasures& window, PictureSize picture);

// The size a picture is scaled down to so that the board shows all of it; the same frame
// and screen the board is then laid out on, so it fits that layout exactly: no margin to
// spare, nothing cut.
PictureSize fittedSize(const WindowMeasures& window, PictureSize natural);

// The top-left part of the picture that takes part in a puzzle with this layout, in
// pixels: a pixel more each way than the area's rounded size, as the grid's frame may
// fall just past it and the board is filled up to it.
PictureSize keptPart(const WindowMeasures& window, const Layout& layout);

// The plan of a puzzle for a picture of size `natural` (of which only keptPart is
// needed), on this window.
PuzzlePlan planPuzzle(const WindowMeasures& window, PictureSize natural, std::int16_t columns,
    std::int16_t rows, PuzzleStyle style);

}  // namespace tessaron
