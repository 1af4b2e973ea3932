#pragma once
// How far a board is from solved, and which move brings it closer: the hints and the par
// of both styles. Every function takes a board holding each piece exactly once and only
// reads it; moves come back as the values Puzzle::play() takes.
//
// Normal style: each exchange can at best split one cycle of the arrangement in two, and
// an exchange that sends a piece home always does, so the fewest exchanges are exact and
// cheap at any size.
//
// Difficult style: the exact count comes from a table per grid shape on boards of at most
// 9 places (built the first time that shape is asked about), from a search over pattern
// tables on boards of 10 to 16 (see slide_search.h; it can take seconds, so the window
// asks for it from another thread) and from the empty place's distance on a single row or
// column. Larger boards are solved row by row and column by column; the plan depends on
// nothing but the position, so a hint asked after playing the previous hint continues
// the same plan, and following hints always ends on the solved board. The plan is
// instant at any size: it is also the hint the window falls back on while a search for
// a shortest one is still under way.

#include "core/board/board_state.h"
#include "core/board/place.h"
#include "core/board/puzzle_style.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessaron {

// Normal style: the fewest exchanges that solve the board, the number of places minus
// the number of cycles of the arrangement.
std::int32_t fewestExchanges(const BoardArray& board);

// Normal style: an exchange that puts the first misplaced piece (in reading order) home;
// nothing when the board is solved.
std::optional<Move> exchangeHint(const BoardArray& board);

// Difficult style: slides that solve the board by the plan, each a legal move into the
// empty place; the fewest there are on boards of at most 9 places and on a single row or
// column. Empty when the board is solved or slides cannot solve it. Instant at any size.
std::vector<Move> solveBySlides(const BoardArray& board);

// Difficult style: the first move of solveBySlides(), found without planning the rest;
// nothing when the board is solved or slides cannot solve it.
std::optional<Move> slideHint(const BoardArray& board);

// Difficult style: a shortest solution, on boards of at most 16 places and on a single
// row or column; nothing on larger boards, when slides cannot solve it, or when `stop`
// turns true before the search ends. Its first move is the shortest hint.
std::optional<std::vector<Move>> shortestSlides(const BoardArray& board, const std::atomic<bool>* stop = nullptr);

// Difficult style: the fewest slides that solve the board, on boards of at most 16
// places and on a single row or column; nothing elsewhere or when slides cannot solve it.
std::optional<std::int32_t> fewestSlides(const BoardArray& board);

// Whether the Difficult count of this board needs the search that may take seconds.
bool slideCountNeedsSearch(const BoardArray& board);

// The fewest moves that solve the board in the given style, where they are known: may
// search (see fewestSlides).
std::optional<std::int32_t> par(const BoardArray& board, PuzzleStyle style);

// The par where it costs nothing to know: every Normal board, and the Difficult boards
// whose count needs no search. Fit for the window thread.
std::optional<std::int32_t> instantPar(const BoardArray& board, PuzzleStyle style);

}  // namespace tessaron
