#pragma once
// Places on the board and the moves between them. Every input (a press and a release, a
// key, an undo, a hint) is first read as a Move; one function of the puzzle then checks
// and plays it, so every source of moves obeys the same rules and draws the same way.

#include <cstdint>

namespace tessaron {

// A place on the board, 1-based: column 1 at the left, row 1 at the top.
struct Place {
    std::int16_t column = 0;
    std::int16_t row = 0;
    friend bool operator==(const Place&, const Place&) = default;
};

// The piece at `from` goes to `to`. Normal style: the piece at `to` takes `from` in
// exchange. Difficult style: `to` must be the empty place, beside `from`.
struct Move {
    Place from;
    Place to;
    friend bool operator==(const Move&, const Move&) = default;
};

enum class MoveResult { Refused, Moved, Solved };

}  // namespace tessaron
