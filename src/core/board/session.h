#pragma once
// The puzzle in play and what the game does around it, whatever window shows it: a new
// puzzle swapped in whole and shuffled before the player's eyes, moves and the victory
// they may bring, and the finished-picture preview's timeline. The timeline belongs to
// the game rather than to one puzzle: its timer runs for the whole program, and a new
// puzzle does not restart a cycle under way.

#include "core/board/preview.h"
#include "core/board/puzzle.h"

#include <cstdint>

namespace tessaron {

// What the session needs of the window that shows it.
class BoardScreen {
public:
    virtual ~BoardScreen() = default;
    // A new puzzle is in place: lay the window out around it.
    virtual void placeNewPuzzle(const Puzzle& puzzle) = 0;
    // Show what changed on the board surface, now.
    virtual void showChanges(const Damage& changed) = 0;
    // Let the window system paint and lay out before a long burst; input waits.
    virtual void settle() = 0;
};

class PuzzleSession {
public:
    explicit PuzzleSession(BoardScreen& screen) : screen_(screen) {}

    const Puzzle& puzzle() const { return puzzle_; }
    const PreviewCycle& preview() const { return preview_; }

    // No puzzle, on a board surface of that size in the window's colour.
    void clear(std::int32_t width, std::int32_t height, Pixel background);
    // Takes a complete puzzle in place of the one in play, has the window laid out around
    // it, and shuffles it with the random sequence of `seed`. A long shuffle reaches the
    // screen at most at the display's rate, each time with everything changed since.
    void start(Puzzle next, std::uint64_t seed);

    // Mouse play, positions in twips in the client area; the release's move is shown.
    void pressAt(float x, float y) { puzzle_.pressAt(x, y); }
    MoveResult releaseAt(float x, float y);
    // Keyboard play; a move is shown like the mouse's.
    KeyOutcome keyPressed(Key key);

    // The finished-picture preview: the command, and one tick of its one-second timer.
    void showWholePicture() { preview_.click(); }
    PreviewCycle::Tick tick() { return preview_.tick(); }

private:
    BoardScreen& screen_;
    Puzzle puzzle_;
    PreviewCycle preview_;
};

}  // namespace tessaron
