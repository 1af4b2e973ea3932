#pragma once
// How the player's input reads as moves, kept apart from the board it plays on: a press
// picks the place under it and the release names where that piece goes; keys move a
// cursor and pick with it, or slide. Nothing here changes the board: the session plays
// the moves this returns on the puzzle, where every source of moves meets.

#include "core/board/place.h"
#include "core/language/texts.h"

#include <optional>

namespace tessaron {

class Puzzle;

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

class BoardInput {
public:
    // A press picks the place under it, or nothing off the board. The player took the
    // mouse: the cursor's frame would only hide the picture, so it hides; it keeps its
    // place for the next key, but not its pick, which the press has replaced.
    void press(std::optional<Place> at);
    // The release moves the picked piece to the place under it.
    std::optional<Move> release(std::optional<Place> at) const;

    // A key on `puzzle`. Difficult: an arrow slides the piece beside the empty place into
    // it, in the arrow's direction. Normal: the first key shows the cursor; arrows move
    // it, stopping at the edges; Pick picks the piece under it, then exchanges it with the
    // piece under the cursor as a press and release would (on the same place it puts it
    // back, as Drop does).
    KeyIntent key(Key key, const Puzzle& puzzle);

    const KeyCursor& cursor() const { return cursor_; }

private:
    KeyIntent slide(Key key, const Puzzle& puzzle) const;
    KeyIntent moveCursor(Key key, const Puzzle& puzzle);

    std::optional<Place> picked_;
    KeyCursor cursor_;
};

}  // namespace tessaron
