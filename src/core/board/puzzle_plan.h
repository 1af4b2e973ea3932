#pragma once
// Building a puzzle for this screen from the player's choice: how the window is laid out
// around a picture, how much of a large picture takes part (the screen cuts it at its
// right and bottom edges), or to what size it is scaled to show whole, and the plan a
// puzzle is built from.

#include "core/board/layout.h"
#include "core/board/puzzle.h"
#include "core/dialog/puzzle_choice.h"
#include "core/platform/surface.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaron {

// Everything a new puzzle is made from, besides its picture.
struct PuzzlePlan {
    float twipsX = 15.0f;        // twips per device pixel
    float twipsY = 15.0f;
    std::int16_t columns = 4;    // 1..75; once built, the board array is the grid's owner
    std::int16_t rows = 4;
    PuzzleStyle style = PuzzleStyle::Normal;
    Layout layout;               // the picture area and its margins, in twips
    std::int32_t boardWidth = 0; // the board surface: the client area, in device pixels
    std::int32_t boardHeight = 0;
    Pixel background = kWhite;   // the window's colour
};


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

// How a picture is to be read for its puzzle, once its natural size is known.
struct PictureReading {
    PictureSize size;  // scaled down whole to this size, or only this top-left part kept
    PictureSize area;  // the picture area the puzzle is cut from: the picture read at its
                       // top left, the window's colour wherever it does not reach
};

// What reads pictures for puzzles: the window's picture loader, a stand-in in tests.
class PuzzlePictures {
public:
    virtual ~PuzzlePictures() = default;
    // The picture area of the picture at `path` (its name's bytes). `reading` is asked
    // once, with the picture's upright natural size, and answers how to read it: scaled
    // whole when `scaled`, else cut. Raises the loader's errors for a picture that cannot
    // be read, and std::bad_alloc when memory runs out.
    virtual Surface pictureArea(const std::string& path, bool scaled,
        const std::function<PictureReading(PictureSize natural)>& reading, Pixel background) = 0;
};

// The puzzle the player chose, in solved order, laid out for this window: the picture
// scaled down whole when the choice fits it to the screen, else cut to what the screen
// shows. Raises the picture's errors, and Out of memory whatever runs out; nothing
// outside the new puzzle is touched either way.
Puzzle buildPuzzle(const PuzzleChoice& choice, const WindowMeasures& window, PuzzlePictures& pictures);

}  // namespace tessaron
