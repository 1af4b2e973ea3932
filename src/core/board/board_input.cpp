#include "core/board/board_input.h"

#include "core/board/puzzle.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tessaron {

void BoardInput::press(std::optional<Place> at)
{
    pressed_ = at;
    cursor_.shown = false;
}

ReleaseIntent BoardInput::release(std::optional<Place> at, const Puzzle& puzzle)
{
    const std::optional<Place> from = std::exchange(pressed_, std::nullopt);
    if (!at || !from)
        return {};
    ReleaseIntent intent{.moves = {}, .onBoard = true};
    if (*from != *at) {
        intent.moves.push_back({*from, *at});
        marked_.reset();
    } else if (puzzle.sliding()) {
        intent.moves = slideLine(*at, puzzle);
    } else if (marked_ && *marked_ != *at) {
        intent.moves.push_back({*std::exchange(marked_, std::nullopt), *at});
    } else if (marked_) {
        marked_.reset();
    } else {
        marked_ = at;
    }
    return intent;
}

std::vector<Move> BoardInput::slideLine(Place clicked, const Puzzle& puzzle) const
{
    const Place empty = puzzle.emptyPlace();
    std::vector<Move> moves;
    if ((clicked.column != empty.column && clicked.row != empty.row) || clicked == empty)
        return moves;
    // From the empty place towards the click: each piece in turn slides into the place
    // the one before it left.
    const auto step = [](std::int16_t to, std::int16_t from) {
        return static_cast<std::int16_t>(to > from ? 1 : to < from ? -1 : 0);
    };
    const std::int16_t dc = step(clicked.column, empty.column);
    const std::int16_t dr = step(clicked.row, empty.row);
    for (Place hole = empty; hole != clicked;) {
        const Place next{static_cast<std::int16_t>(hole.column + dc), static_cast<std::int16_t>(hole.row + dr)};
        moves.push_back({next, hole});
        hole = next;
    }
    return moves;
}

KeyIntent BoardInput::key(Key key, const Puzzle& puzzle)
{
    if (!puzzle.exists())
        return {};
    return puzzle.sliding() ? slide(key, puzzle) : moveCursor(key, puzzle);
}

KeyIntent BoardInput::slide(Key key, const Puzzle& puzzle) const
{
    const Place hole = puzzle.emptyPlace();
    // The piece moves the arrow's way, so it comes from the opposite side of the hole.
    Place from = hole;
    switch (key) {
    case Key::Left: ++from.column; break;
    case Key::Right: --from.column; break;
    case Key::Up: ++from.row; break;
    case Key::Down: --from.row; break;
    case Key::Pick:
    case Key::Drop: return {};
    }
    if (from.column < 1 || from.column > puzzle.board().columns() || from.row < 1 || from.row > puzzle.board().rows())
        return {};
    return {Move{from, hole}, BoardReport{BoardNews::Slid, hole, from}};
}

KeyIntent BoardInput::moveCursor(Key key, const Puzzle& puzzle)
{
    const auto report = [](BoardNews news, Place at, Place other = {}) { return BoardReport{news, at, other}; };
    if (key == Key::Drop) {
        // Escape takes the mark away, wherever it came from; with no mark it does nothing,
        // not even show the cursor.
        if (!marked_)
            return {};
        marked_.reset();
        return {std::nullopt, cursor_.shown ? std::optional(report(BoardNews::Cursor, cursor_.place)) : std::nullopt};
    }
    if (!cursor_.shown) {
        // The first key only shows where the keyboard is.
        cursor_.shown = true;
        return {std::nullopt, report(BoardNews::Cursor, cursor_.place)};
    }
    Place& at = cursor_.place;
    const Place was = at;
    const std::int16_t columns = puzzle.board().columns();
    const std::int16_t rows = puzzle.board().rows();
    switch (key) {
    case Key::Left: at.column = std::max<std::int16_t>(1, static_cast<std::int16_t>(at.column - 1)); break;
    case Key::Right: at.column = std::min(columns, static_cast<std::int16_t>(at.column + 1)); break;
    case Key::Up: at.row = std::max<std::int16_t>(1, static_cast<std::int16_t>(at.row - 1)); break;
    case Key::Down: at.row = std::min(rows, static_cast<std::int16_t>(at.row + 1)); break;
    case Key::Pick:
        if (!marked_) {
            marked_ = at;
            return {std::nullopt, report(BoardNews::Picked, at)};
        }
        if (*marked_ != at) {
            const Place from = *std::exchange(marked_, std::nullopt);
            return {Move{from, at}, report(BoardNews::Exchanged, at, from)};
        }
        // The same place again puts the piece back down.
        marked_.reset();
        return {std::nullopt, report(BoardNews::Cursor, at)};
    case Key::Drop: break;  // taken above
    }
    if (at == was)
        return {};  // against the edge
    return {std::nullopt, report(BoardNews::Cursor, at)};
}

}  // namespace tessaron
