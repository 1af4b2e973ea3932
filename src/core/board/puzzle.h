#pragma once
// One puzzle: which piece lies at which place, where the places are, the picture they are
// cut from and the board surface a window shows. The board array and the surface change
// together, one move at a time, so the image in each place is always the piece its cell
// names; nothing outside can change one without the other. Knows nothing of windows,
// nor of the player's input: that is read into moves elsewhere.

#include "core/board/board_state.h"
#include "core/board/geometry.h"
#include "core/board/layout.h"
#include "core/board/place.h"
#include "core/board/puzzle_style.h"
#include "core/board/random_source.h"
#include "core/platform/surface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tessaron {

struct PuzzlePlan;

class Puzzle {
public:
    // No puzzle, and no board surface.
    Puzzle() = default;
    // No puzzle, on a board surface of that size in the window's colour.
    static Puzzle blank(std::int32_t width, std::int32_t height, Pixel background);
    // A puzzle in solved order, drawn on a board surface of its own with its grid (and,
    // in the Difficult style, its empty place blackened). `picture` is the picture area:
    // the picture's top-left part, a pixel more each way than the area's rounded size,
    // the window's colour where the picture does not reach. Raises Out of memory for a
    // surface no screen has; nothing outside the new puzzle is touched either way.
    static Puzzle build(Surface picture, const PuzzlePlan& plan);

    bool exists() const { return board_.exists(); }
    PuzzleStyle style() const { return style_; }
    // The Difficult style: pieces only slide into the empty place.
    bool sliding() const { return style_ == PuzzleStyle::Difficult; }
    const BoardArray& board() const { return board_; }
    const Layout& layout() const { return layout_; }
    PlaceGeometry geometry() const;
    bool isSolved() const;
    // Where the last piece lies: in the Difficult style, the empty place.
    Place emptyPlace() const { return empty_; }

    // What the window shows, and what changed on it since the last time it was asked.
    const Surface& boardSurface() const { return window_; }
    Damage takeDamage() { return window_.takeDamage(); }
    // The whole picture: the source of the board's first drawing and of the finished look.
    const Surface& wholePicture() const { return whole_; }

    // 5 x columns x rows random exchanges, `shown` called after each, then the grid. In
    // the Difficult style the result is always solvable by slides: an odd position gets
    // one more exchange of two pieces that are not the empty place, and a single row or
    // column (where exchanges can only ever produce unsolvable positions) gets its empty
    // place dealt to any other place of the line, each equally likely, and slid there. A
    // board that comes out solved gets one move more (a random exchange, or a random one
    // of the slides into the empty place): the player is never handed a finished puzzle
    // that could be mixed.
    void shuffle(RandomSource& random, const std::function<void()>& shown = {});

    // The place under a point of the window's client area, in twips; nothing off the
    // picture or without a puzzle.
    std::optional<Place> placeAt(float x, float y) const;

    // Whether the style's rules let the move be played: both places on the board, and in
    // the Difficult style a piece beside the empty place going into it.
    bool allows(const Move& move) const;
    // The one way a move is played, whatever asked for it: checked by allows(), then the
    // two places' images and cells exchanged together and the grid drawn again over them.
    // Then the board is looked at: Solved when it is solved, even after a move refused,
    // as every move asked for ends with that look.
    MoveResult play(const Move& move);

private:
    void execute(const Move& move, const std::function<void()>& shown = {});
    void dealLine(RandomSource& random, const std::function<void()>& shown);
    void repairParity(RandomSource& random, const std::function<void()>& shown);
    void unsolve(RandomSource& random, const std::function<void()>& shown);
    Place randomPlace(RandomSource& random) const;

    float twipsX_ = 15.0f;
    float twipsY_ = 15.0f;
    PuzzleStyle style_ = PuzzleStyle::Normal;
    Layout layout_;
    BoardArray board_;
    Place empty_;
    Surface scratch_;  // one piece; each exchange leaves a piece's image here
    Surface whole_;    // the picture area as loaded, for the finished look
    Surface window_;   // the board surface
};

}  // namespace tessaron
