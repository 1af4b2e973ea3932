#pragma once
// The game in play, whatever window shows it: the puzzle, the player's input read as
// moves on it, the victory, and the finished-picture preview's timeline. It decides
// whether the finished picture covers the board, whether "Show image" can be used and
// whether the board takes input, and tells the window; the window only shows it. The
// timeline belongs to the game rather than to one puzzle: its timer runs for the whole
// program, and a new puzzle does not restart a cycle under way.

#include "core/board/board_input.h"
#include "core/board/preview.h"
#include "core/board/puzzle.h"

#include <cstdint>
#include <optional>

namespace tessaron {

// What the window shows around the board.
struct PlayState {
    bool finishedPictureShown = false;  // the whole picture lies over the board
    bool showImageAvailable = false;    // the "Show image" command can be used
    friend bool operator==(const PlayState&, const PlayState&) = default;
};

// What one key did: its move's result (Refused when no piece moved) and what a screen
// reader should hear, if anything changed.
struct KeyOutcome {
    MoveResult result = MoveResult::Refused;
    std::optional<BoardReport> report;
};

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
    // Show the finished picture over the board or not, offer "Show image" or not.
    virtual void showPlayState(const PlayState& state) = 0;
    // The keyboard's cursor may have changed; with a report, tell a screen reader.
    virtual void showInput(const KeyCursor& cursor, const std::optional<BoardReport>& report) = 0;
    // Tell the player the puzzle is solved, and return once they have read it; false when
    // there is nothing to tell in the game's language, and then nothing else happens.
    virtual bool announceVictory() = 0;
};

class PuzzleSession {
public:
    explicit PuzzleSession(BoardScreen& screen) : screen_(screen) {}

    const Puzzle& puzzle() const { return puzzle_; }
    const PlayState& state() const { return state_; }
    const KeyCursor& cursor() const { return input_.cursor(); }
    // Presses, releases and keys reach the board: not while the finished picture lies
    // over it.
    bool takesInput() const { return !state_.finishedPictureShown; }

    // No puzzle, on a board surface of that size in the window's colour.
    void clear(std::int32_t width, std::int32_t height, Pixel background);
    // Takes a complete puzzle in place of the one in play, has the window laid out around
    // it, and shuffles it with the random sequence of `seed`. A long shuffle reaches the
    // screen at most at the display's rate, each time with everything changed since.
    void start(Puzzle next, std::uint64_t seed);

    // Mouse play, positions in twips in the client area. A press picks the place under
    // it; the release moves the picked piece there by the style's rules, shows it and
    // looks for the victory. Under the finished picture nothing can be picked.
    void pressAt(float x, float y);
    MoveResult releaseAt(float x, float y);
    // Keyboard play; a move is shown like the mouse's.
    KeyOutcome keyPressed(Key key);

    // The finished-picture preview: the command, and one tick of its one-second timer.
    void showWholePicture();
    void tick();

private:
    MoveResult play(const Move& move);
    void celebrateIfSolved(MoveResult result);
    void setState(PlayState next);

    BoardScreen& screen_;
    Puzzle puzzle_;
    BoardInput input_;
    PreviewCycle preview_;
    PlayState state_;
};

}  // namespace tessaron
