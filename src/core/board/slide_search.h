#pragma once
// The fewest slides on boards of 10 to 16 places (the 15-puzzle and its smaller cousins),
// found by iterative-deepening A* over additive pattern tables.
//
// The pieces are split into groups of at most six. A group's table holds, for every way
// its pieces can lie, the fewest moves of those pieces that bring them home when the
// other pieces count for nothing: the empty place passes through them freely. A real
// slide moves exactly one piece, of one group, so the sum over the groups never counts a
// slide twice and never says more than the real count: the search may trust it to prune.
// On a square board the board seen across its diagonal is the same puzzle with the
// pieces renamed, so the tables are read a second time for that view and the larger of
// the two sums is used.
//
// A 4 x 4 board's tables (16 MiB) take some 20 s of one core to build, a 2 x 8 board's
// (32 MiB, its pieces split two ways) some 30 s: they are kept, checked by a checksum,
// in the user's cache folder ($XDG_CACHE_HOME/tessaron, else ~/.cache/tessaron) and
// built again when a kept one is damaged or stale; read back, they take 0.04 s. Only
// the last shape asked for stays in memory.
//
// Everything here may take seconds on a hard 4 x 4 board: the window must ask from
// another thread, with a flag to stop it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tessaron {

// Boards of more places than this get no exact count.
constexpr std::int32_t kExactSlidePlaces = 16;

// The places (0-based, reading order) the empty place steps to, in order, along a
// shortest way to the solved board: each is where the piece lies that slides next. The
// pieces are given in reading order, the empty place as columns x rows; the board must
// have 2 to 16 places, at least two rows and two columns, and be solvable by slides.
// Nothing when `stop` turns true before the search ends.
std::optional<std::vector<std::int32_t>> shortestSlideSteps(std::span<const std::int16_t> pieces,
    std::int32_t columns, std::int32_t rows, const std::atomic<bool>* stop = nullptr);

// Where the tables are kept between runs.
std::filesystem::path slideTableFolder();

// Builds (or reads from the cache) the tables for a shape of 2 to 16 places, at least
// two rows and two columns, now; tables already in memory cost nothing. Returns the bytes
// they take.
std::size_t prepareSlideTables(std::int32_t columns, std::int32_t rows);

// Drops the tables held in memory, so that the next search reads or builds them again.
void forgetSlideTables();

}  // namespace tessaron
