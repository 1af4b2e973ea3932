#pragma once
// Boards written out cell by cell, and the fewest moves to solve every arrangement of a
// small grid found the slow, obvious way: a breadth-first search from the solved board
// over every arrangement the style's moves reach. Moves of both styles can be undone by
// a move, so the distance from the solved board is the distance to it.

#include "core/board/board_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <numeric>
#include <queue>
#include <vector>

namespace tessaron {

// The cells in reading order.
inline BoardArray boardFrom(std::int16_t columns, std::int16_t rows, const std::vector<std::int16_t>& cells)
{
    BoardArray board;
    board.allocate(columns, rows);
    for (std::int32_t i = 0; i < columns * rows; ++i)
        board(1 + i % columns, 1 + i / columns) = cells[static_cast<std::size_t>(i)];
    return board;
}

// Every arrangement (cells in reading order) reachable from the solved board, with the
// fewest slides (Difficult) or exchanges (Normal) that lead back.
inline std::map<std::vector<std::int16_t>, std::int32_t> fewestMovesBySearch(std::int16_t columns, std::int16_t rows, bool slides)
{
    const std::int32_t n = columns * rows;
    std::vector<std::int16_t> start(static_cast<std::size_t>(n));
    std::iota(start.begin(), start.end(), std::int16_t{1});
    std::map<std::vector<std::int16_t>, std::int32_t> distance{{start, 0}};
    std::queue<std::vector<std::int16_t>> todo;
    todo.push(start);
    while (!todo.empty()) {
        const auto cells = todo.front();
        todo.pop();
        const std::int32_t next = distance[cells] + 1;
        const auto empty = static_cast<std::int32_t>(std::find(cells.begin(), cells.end(), n) - cells.begin());
        for (std::int32_t a = 0; a < n; ++a)
            for (std::int32_t b = a + 1; b < n; ++b) {
                const bool beside = std::abs(a % columns - b % columns) + std::abs(a / columns - b / columns) == 1;
                if (slides && !(beside && (a == empty || b == empty)))
                    continue;
                auto moved = cells;
                std::swap(moved[static_cast<std::size_t>(a)], moved[static_cast<std::size_t>(b)]);
                if (distance.emplace(moved, next).second)
                    todo.push(moved);
            }
    }
    return distance;
}

// The fewest slides by iterative deepening over the Manhattan distance alone: slow past
// twenty or so slides, but too plain to be wrong.
inline std::int32_t fewestSlidesByManhattan(std::int32_t columns, std::vector<std::int16_t> cells)
{
    const auto n = static_cast<std::int32_t>(cells.size());
    const auto distance = [&](std::int32_t place) {
        const std::int32_t home = cells[static_cast<std::size_t>(place)] - 1;
        return home == n - 1 ? 0 : std::abs(home % columns - place % columns) + std::abs(home / columns - place / columns);
    };
    std::int32_t h = 0;
    for (std::int32_t p = 0; p < n; ++p)
        h += distance(p);
    const auto search = [&](auto& self, std::int32_t empty, std::int32_t came, std::int32_t left) -> bool {
        if (h == 0)
            return true;
        if (h > left)
            return false;
        const std::int32_t steps[] = {-columns, -1, 1, columns};
        for (const std::int32_t step : steps) {
            const std::int32_t from = empty + step;
            if (from < 0 || from >= n || from == came || (std::abs(step) == 1 && from / columns != empty / columns))
                continue;
            h -= distance(from);
            std::swap(cells[static_cast<std::size_t>(from)], cells[static_cast<std::size_t>(empty)]);
            h += distance(empty);
            const bool found = self(self, from, empty, left - 1);
            h -= distance(empty);
            std::swap(cells[static_cast<std::size_t>(from)], cells[static_cast<std::size_t>(empty)]);
            h += distance(from);
            if (found)
                return true;
        }
        return false;
    };
    const auto empty = static_cast<std::int32_t>(std::find(cells.begin(), cells.end(), n) - cells.begin());
    for (std::int32_t bound = h;; bound += 2)
        if (search(search, empty, -1, bound))
            return bound;
}

}  // namespace tessaron
