#pragma once
// How the player's input reads as moves, kept apart from the board it plays on: a press
// and a release, a click, keys that move a cursor and pick with it or slide. Nothing here
// changes the board: the session plays the moves this returns on the puzzle, where every
// source of moves meets.

#include "core/board/place.h"

#include <optional>
#include <vector>

namespace tessaron {

class Puzzle;

// Keyboard play: the four arrows, Pick (Space or Enter) and Drop (Escape).
enum class Key { Left, Right, Up, Down, Pick, Drop };

// The keyboard's cursor of the Normal style: a frame around one place, hidden until the
// first key and again after a mouse press. It is never drawn into the board surface: the
// window paints it over the board.
struct KeyCursor {
    bool shown = false;
    Place place{1, 1};
};

// What a screen reader hears of keyboard play on the board, places by column and row.
enum class BoardNews {
    Cursor,     // the cursor's place
    Picked,     // the cursor's place, its piece picked up
    Exchanged,  // the cursor's place, whose piece exchanged with the other place's
    Slid,       // the place a piece slid into
};

// What a screen reader should hear after a key: the cursor's place, or where a piece went
// and, for an exchange, the other place.
struct BoardReport {
    BoardNews news = BoardNews::Cursor;
    Place at;
    Place other;
};

// What one key asks for: a move to play, if any, and what to report.
struct KeyIntent {
    std::optional<Move> move;
    std::optional<BoardReport> report;
};

// What a release asks for: the moves to play in order, and whether it reached the board
// after a press on it, in which case the board is looked at for the victory even when no
// move was asked for (a single place is solved from the start, and won by a click).
struct ReleaseIntent {
    std::vector<Move> moves;
    bool onBoard = false;
};

class BoardInput {
public:
    // A press remembers the place under it, or that it was off the board. The player took
    // the mouse: the cursor's frame would only hide the picture, so it hides; it keeps its
    // place for the next key.
    void press(std::optional<Place> at);
    // The release. Onto another place than the press's, it is a drag: that piece goes
    // there. Onto the same place, a click: in the Normal style it marks the piece, or
    // exchanges the marked piece with this one, or on the marked piece takes the mark
    // away; in the Difficult style, on a piece in the empty place's row or column, it
    // slides that piece and every piece between it and the empty place one step towards
    // it, one move each, the nearest first.
    ReleaseIntent release(std::optional<Place> at, const Puzzle& puzzle);

    // A key on `puzzle`. Difficult: an arrow slides the piece beside the empty place into
    // it, in the arrow's direction. Normal: the first key shows the cursor; arrows move
    // it, stopping at the edges; Pick marks the piece under it, then exchanges the marked
    // piece with the piece under the cursor (on the same place it takes the mark away, as
    // Drop does).
    KeyIntent key(Key key, const Puzzle& puzzle);

    const KeyCursor& cursor() const { return cursor_; }
    // The piece a click or Pick marked, to be exchanged next.
    const std::optional<Place>& marked() const { return marked_; }

    // A hint: the piece to move next and where it goes, shown until the next input.
    void showHint(const std::optional<Move>& hint) { hint_ = hint; }
    const std::optional<Move>& hint() const { return hint_; }
    void forgetHint() { hint_.reset(); }

private:
    KeyIntent slide(Key key, const Puzzle& puzzle) const;
    KeyIntent moveCursor(Key key, const Puzzle& puzzle);
    std::vector<Move> slideLine(Place clicked, const Puzzle& puzzle) const;

    std::optional<Place> pressed_;
    std::optional<Place> marked_;
    std::optional<Move> hint_;
    KeyCursor cursor_;
};

}  // namespace tessaron
