#pragma once
// The game in play, whatever window shows it: the puzzle, the player's input read as
// moves on it, the moves made and taken back, the clock, the victory, hints, and the
// finished-picture preview's timeline. It decides whether the finished picture covers
// the board, which commands can be used and whether the board takes input, and tells the
// window; the window only shows it. The timeline belongs to the game rather than to one
// puzzle: its timer runs for the whole program, and a new puzzle does not restart a cycle
// under way.

#include "core/board/board_input.h"
#include "core/board/preview.h"
#include "core/board/puzzle.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tessaron {

// What the window shows around the board: whether the finished picture covers it, and
// which commands can be used now.
struct PlayState {
    bool finishedPictureShown = false;  // the whole picture lies over the board
    bool showImageAvailable = false;    // "Show image"
    bool undoAvailable = false;
    bool redoAvailable = false;
    bool restartAvailable = false;
    bool hintAvailable = false;
    friend bool operator==(const PlayState&, const PlayState&) = default;
};

// How the game is going: the moves made, the time since the first of them (stopped at the
// victory), and after the victory the fewest moves the puzzle could have been solved in,
// where that is known.
struct PlayRecord {
    bool shown = false;                  // there is a puzzle to count for
    std::int32_t moves = 0;
    std::int64_t seconds = 0;
    std::optional<std::int32_t> par;     // only once solved
    friend bool operator==(const PlayRecord&, const PlayRecord&) = default;
};

// What one key did: its move's result (Refused when no piece moved) and what a screen
// reader should hear, if anything changed.
struct KeyOutcome {
    MoveResult result = MoveResult::Refused;
    std::optional<BoardReport> report;
};

// A search the window runs for the session on another thread, never its own: a shortest
// solution from `board` (see shortestSlides()). `deal` names the puzzle it was asked for,
// `ticket` the hint waiting for it (0: the par's search).
struct SearchRequest {
    std::uint64_t deal = 0;
    std::uint64_t ticket = 0;
    BoardArray board;
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
    // Show the finished picture over the board or not, offer the commands or not.
    virtual void showPlayState(const PlayState& state) = 0;
    // The frames over the board (the keyboard's cursor, the marked piece, a hint) may have
    // changed; with a report, tell a screen reader.
    virtual void showInput(const BoardInput& input, const std::optional<BoardReport>& report) = 0;
    // The count of moves or the clock changed.
    virtual void showRecord(const PlayRecord& record) = 0;
    // Tell the player the puzzle is solved, and return once they have read it; false when
    // there is nothing to tell in the game's language, and then nothing else happens.
    virtual bool announceVictory() = 0;
};

class PuzzleSession {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit PuzzleSession(BoardScreen& screen, Clock clock = std::chrono::steady_clock::now)
        : screen_(screen), clock_(std::move(clock))
    {
    }

    const Puzzle& puzzle() const { return puzzle_; }
    const PlayState& state() const { return state_; }
    const BoardInput& input() const { return input_; }
    PlayRecord record() const;
    // Presses, releases, keys and the commands reach the board: not while the finished
    // picture lies over it.
    bool takesInput() const { return !state_.finishedPictureShown; }

    // No puzzle, on a board surface of that size in the window's colour.
    void clear(std::int32_t width, std::int32_t height, Pixel background);
    // Takes a complete puzzle in place of the one in play, has the window laid out around
    // it, and shuffles it with the random sequence of `seed`. A long shuffle reaches the
    // screen at most at the display's rate, each time with everything changed since.
    void start(Puzzle next, std::uint64_t seed);

    // Mouse play, positions in twips in the client area. A press picks the place under
    // it; the release plays what it asks for (see BoardInput), shows it and looks for the
    // victory. Under the finished picture nothing can be picked.
    void pressAt(float x, float y);
    MoveResult releaseAt(float x, float y);
    // Keyboard play; a move is shown like the mouse's.
    KeyOutcome keyPressed(Key key);

    // The player's moves taken back and made again, one at a time, and all of them taken
    // back at once: the board returns to the arrangement it was handed over in. They are
    // moves like any other, the picture changing with the board; once the puzzle is
    // solved the board stays finished.
    void undo();
    void redo();
    void restart();
    // Marks the piece to move next and where it goes, until the next input. A Difficult
    // board of 10 to 16 places wants the first slide of a shortest solution, which may
    // take a search: unless a search already passed through this arrangement, nothing is
    // marked yet and the search is returned for the window to run. What comes first, its
    // solution or hintOverdue() with its ticket, marks the hint.
    std::optional<SearchRequest> showHint();
    // The window waited long enough for that hint's search: the plan's slide, which needs
    // no search, is marked instead.
    void hintOverdue(std::uint64_t ticket);
    // The search the par needs, once a puzzle is dealt: for a Difficult board of 10 to
    // 16 places. Nothing when the par is known without it.
    std::optional<SearchRequest> parSearch() const;
    // A search's shortest solution. One asked for another puzzle is dropped. From the
    // board as dealt, it gives the par (shown at once if the victory came first); for a
    // hint still waiting on this board, its first slide. Every arrangement along it is
    // remembered, so hints that follow it need no search.
    void takeSolution(const SearchRequest& asked, const std::vector<Move>& solution);

    // The finished-picture preview: the command, and one tick of its one-second timer,
    // which also moves the clock on.
    void showWholePicture();
    void tick();

private:
    MoveResult play(const Move& move);
    MoveResult playerMove(const Move& move);
    // After every move asked for: the commands and the figures follow, and a solved board
    // brings the victory.
    void afterMove(MoveResult result);
    // Moves the newest of `from` to `to`, playing it, or for an undo the move the other way.
    void replayNewest(std::vector<Move>& from, std::vector<Move>& to, bool backwards);
    void forgetHint();
    void setState(PlayState next);
    void showRecord();

    BoardScreen& screen_;
    Clock clock_;
    Puzzle puzzle_;
    BoardInput input_;
    PreviewCycle preview_;
    PlayState state_;
    // The player's moves, for undo and redo; the arrangement the board was handed over
    // in, for the par.
    std::vector<Move> done_;
    std::vector<Move> undone_;
    BoardArray handedOver_;
    bool solved_ = false;  // the victory came: the board and the figures stay as they are
    std::optional<std::int32_t> par_;
    std::uint64_t deal_ = 0;         // each puzzle's own number, for the searches asked for it
    std::uint64_t lastTicket_ = 0;
    std::uint64_t hintWaiting_ = 0;  // the ticket of a hint waiting for its search, or 0
    // Arrangements a shortest solution passed through, with its next slide there.
    std::vector<std::pair<BoardArray, Move>> shortestSteps_;
    std::optional<std::chrono::steady_clock::time_point> firstMove_;
    std::optional<std::chrono::steady_clock::time_point> stoppedAt_;
    PlayRecord shownRecord_;
};

}  // namespace tessaron
