#include "core/board/board_input.h"

#include "core/board/puzzle.h"

#include <algorithm>

namespace tessaron {

void BoardInput::press(std::optional<Place> at)
{
    picked_ = at;
    cursor_.shown = false;
    cursor_.picked.reset();
}

std::optional<Move> BoardInput::release(std::optional<Place> at) const
{
    if (!at || !picked_)
        return std::nullopt;
    return Move{*picked_, *at};
}

KeyIntent BoardInput::key(Key key, const Puzzle& puzzle)
{
    if (!puzzle.exists())
        return {};
    return puzzle.difficult() ? slide(key, puzzle) : moveCursor(key, puzzle);
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
    if (!cursor_.shown) {
        // The first key only shows where the keyboard is; Escape has nothing to drop.
        if (key == Key::Drop)
            return {};
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
        if (!cursor_.picked) {
            cursor_.picked = at;
            return {std::nullopt, report(BoardNews::Picked, at)};
        }
        if (*cursor_.picked != at) {
            const Place from = *cursor_.picked;
            cursor_.picked.reset();
            return {Move{from, at}, report(BoardNews::Exchanged, at, from)};
        }
        [[fallthrough]];  // the same place again puts the piece back down
    case Key::Drop:
        if (!cursor_.picked)
            return {};
        cursor_.picked.reset();
        return {std::nullopt, report(BoardNews::Cursor, at)};
    }
    if (at == was)
        return {};  // against the edge
    return {std::nullopt, report(BoardNews::Cursor, at)};
}

}  // namespace tessaron
