#pragma once
// One puzzle: which piece lies at which place, where the places are, the picture they are
// cut from and the board surface a window shows. The board array and the surface change
// together, one exchange at a time, so the image in each place is always the piece its
// cell names; nothing outside can change one without the other. Knows nothing of windows.

#include "core/board/board_state.h"
#include "core/board/geometry.h"
#include "core/board/layout.h"
#include "core/board/random_source.h"
#include "core/language/texts.h"
#include "core/platform/surface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tessaron {

// Normal: any piece may be put on any place, the two exchange. Difficult: a sliding
// puzzle around the black empty place, which starts bottom right.
enum class PuzzleStyle { Normal, Difficult };

enum class MoveResult { Refused, Moved, Solved };

// A place on the board, 1-based.
struct Place {
    std::int16_t column = 0;
    std::int16_t row = 0;
    friend bool operator==(const Place&, const Place&) = default;
};

// Keyboard play: the four arrows, Pick (Space or Enter) and Drop (Escape).
enum class Key { Left, Right, Up, Down, Pick, Drop };

// The keyboard's cursor of the Normal style: a frame around one place, hidden until the
// first key and again after a mouse press, and the place whose piece it picked up. It is
// never drawn into the board surface: the window paints it over the board.
struct KeyCursor {
    bool shown = false;
    Place place{1, 1};
    std::optional<Place> picked;
};

// What one key did: its move (Refused when no piece moved) and, when anything changed,
// what a screen reader should hear: the cursor's place, or where a piece went and, for
// an exchange, the other place.
struct KeyOutcome {
    MoveResult result = MoveResult::Refused;
    std::optional<BoardNews> news;
    Place at;
    Place other;
};

// Everything a new puzzle is made from, besides its picture.
struct PuzzlePlan {
    float twipsX = 15.0f;        // twips per device pixel
    float twipsY = 15.0f;
    std::int16_t columns = 4;    // 1..75
    std::int16_t rows = 4;
    PuzzleStyle style = PuzzleStyle::Normal;
    Layout layout;               // the picture area and its margins, in twips
    std::int32_t boardWidth = 0; // the board surface: the client area, in device pixels
    std::int32_t boardHeight = 0;
    Pixel background = kWhite;   // the window's colour
};

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
    PuzzleStyle style() const { return plan_.style; }
    bool difficult() const { return plan_.style == PuzzleStyle::Difficult; }
    const BoardArray& board() const { return board_; }
    const Layout& layout() const { return plan_.layout; }
    PlaceGeometry geometry() const;
    bool isSolved() const;

    // What the window shows, and what changed on it since the last time it was asked.
    const Surface& boardSurface() const { return window_; }
    Damage takeDamage() { return window_.takeDamage(); }
    // The scratch surface of exchanges (one piece), and the whole picture: the source of
    // the board's first drawing and of the finished look.
    const Surface& scratchSurface() const { return scratch_; }
    const Surface& wholePicture() const { return whole_; }

    // 5 x columns x rows random exchanges, `shown` called after each, then the grid. In
    // the Difficult style the result is always solvable by slides: an odd position gets
    // one more exchange of two pieces that are not the empty place, and a single row or
    // column (where exchanges can only ever produce unsolvable positions) is mixed by
    // random slides of the empty place instead. A board that comes out solved gets one
    // exchange more: the player is never handed a finished puzzle that could be mixed.
    void shuffle(RandomSource& random, const std::function<void()>& shown = {});

    // The place under a point of the window's client area, in twips; nothing off the
    // picture or without a puzzle.
    std::optional<Place> placeAt(float x, float y) const;
    // A press picks the place under it (or nothing); the release moves the picked piece
    // there by the style's rules. Either way the release then looks for a solved board.
    void pressAt(float x, float y);
    MoveResult releaseAt(float x, float y);
    // The same from place to place.
    MoveResult move(Place from, Place to);

    // A key. Difficult: an arrow slides the piece beside the empty place into it, in the
    // arrow's direction. Normal: the first key shows the cursor; arrows move it, stopping
    // at the edges; Pick picks the piece under it, then exchanges it with the piece under
    // the cursor as a press and release would (on the same place it drops it, as Drop
    // does). A move runs the same solved test as the mouse's.
    KeyOutcome keyPressed(Key key);
    const KeyCursor& cursor() const { return cursor_; }

    // Exchanges made since the puzzle was built (the shuffle's and the moves').
    std::int64_t exchangeCount() const { return exchanges_; }

private:
    void drawGrid(std::span<const PixelRect> within = {});
    void exchange(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY,
        const std::function<void()>& shown);
    void slideShuffle(RandomSource& random, std::int32_t rounds, const std::function<void()>& shown);
    void repairParity(RandomSource& random, const std::function<void()>& shown);
    void unsolve(RandomSource& random, const std::function<void()>& shown);
    KeyOutcome slideByKey(Key key);
    KeyOutcome cursorKey(Key key);

    PuzzlePlan plan_;
    BoardArray board_;
    Surface scratch_;  // one piece; each exchange leaves a piece's image here
    Surface whole_;    // the picture area as loaded, for the finished look
    Surface window_;   // the board surface
    std::optional<Place> picked_;
    KeyCursor cursor_;
    std::int64_t exchanges_ = 0;
};

}  // namespace tessaron
