#pragma once
// What the player chose for a new puzzle, as the new-puzzle dialog hands it over.

#include "core/board/puzzle_style.h"

#include <cstdint>
#include <string>

namespace tessaron {

struct PuzzleChoice {
    std::string path{};       // the picture's full path, as the bytes of its name
    std::string name{};       // its file name, as bytes too, for the title
    std::int16_t columns = 4;
    std::int16_t rows = 4;
    PuzzleStyle style = PuzzleStyle::Normal;  // the style the puzzle is built and played in
    bool fitToScreen = false; // a picture too large for the screen is scaled down whole, not cut
};

}  // namespace tessaron
