#include "core/board/solver.h"

#include "core/board/rules.h"
#include "core/board/slide_search.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

namespace tessaron {

namespace {

// ---- The board as the solver reads it -----------------------------------------------

// A place, 0-based: column x, row y. The solver keeps both rather than one index, so that
// no step of a long solution divides.
struct Spot {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Spot&, const Spot&) = default;
};

Place placeOf(Spot spot) { return {static_cast<std::int16_t>(spot.x + 1), static_cast<std::int16_t>(spot.y + 1)}; }

struct Position {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::vector<std::int16_t> pieces;  // the piece at each place in reading order, as on the board
    std::vector<Spot> where;           // where[k]: where the piece lies that belongs k-th in reading order

    // One pass over the board: with the check that slides can solve it, nearly all that a
    // hint costs on a large board.
    explicit Position(const BoardArray& board)
        : columns(board.columns()), rows(board.rows())
    {
        const auto n = static_cast<std::size_t>(columns * rows);
        pieces.resize(n);
        where.resize(n);
        std::size_t at = 0;
        for (std::int32_t y = 0; y < rows; ++y)
            for (std::int32_t x = 0; x < columns; ++x, ++at) {
                pieces[at] = board(x + 1, y + 1);
                where[static_cast<std::size_t>(pieces[at] - 1)] = {x, y};
            }
    }

    std::size_t index(Spot spot) const { return static_cast<std::size_t>(spot.y * columns + spot.x); }
    bool home(Spot spot) const { return static_cast<std::size_t>(pieces[index(spot)]) == index(spot) + 1; }
    // Where the piece lies whose home is `home`.
    Spot whereIs(Spot home) const { return where[index(home)]; }
    Spot blank() const { return where.back(); }
    Spot homeOfPieceAt(Spot spot) const
    {
        const std::int32_t piece = pieces[index(spot)] - 1;
        return {piece % columns, piece / columns};
    }
    // The piece at `from`, beside the empty place, slides into it.
    void slide(Spot from)
    {
        const Spot to = blank();
        std::swap(pieces[index(from)], pieces[index(to)]);
        where[static_cast<std::size_t>(pieces[index(from)] - 1)] = from;
        where[static_cast<std::size_t>(pieces[index(to)] - 1)] = to;
    }
};

// ---- Exact distances for boards of at most 9 places ----------------------------------
// One table per grid shape, indexed by the rank of the arrangement among all n! orders;
// only the half that slides reach is filled. A 3 x 3 table is 9! bytes and takes a
// breadth-first search of 181,440 positions, so it is built the first time it is needed.

constexpr std::uint8_t kUnreached = 0xFF;
constexpr std::array<std::uint32_t, 10> kFactorial{1, 1, 2, 6, 24, 120, 720, 5040, 40320, 362880};

// An arrangement of up to 9 pieces, 4 bits per place.
using Packed = std::uint64_t;

std::int32_t pieceAt(Packed packed, std::int32_t place) { return static_cast<std::int32_t>((packed >> (4 * place)) & 15u); }

Packed exchanged(Packed packed, std::int32_t a, std::int32_t b)
{
    const Packed pa = static_cast<Packed>(pieceAt(packed, a));
    const Packed pb = static_cast<Packed>(pieceAt(packed, b));
    packed &= ~((Packed{15} << (4 * a)) | (Packed{15} << (4 * b)));
    return packed | (pa << (4 * b)) | (pb << (4 * a));
}

// How many bits of each 9-bit set are set: std::popcount is a library call on the
// baseline x86-64 this is built for, and the table search ranks millions of positions.
constexpr std::array<std::uint8_t, 512> kBitCount = [] {
    std::array<std::uint8_t, 512> counts{};
    for (std::size_t i = 1; i < counts.size(); ++i)
        counts[i] = static_cast<std::uint8_t>(counts[i / 2] + (i & 1));
    return counts;
}();

// The arrangement's position in the lexicographic order of all arrangements (its Lehmer
// code): for each place, how many smaller pieces are still to come.
std::uint32_t rankOf(Packed packed, std::int32_t n)
{
    std::uint32_t unused = (1u << n) - 1;
    std::uint32_t rank = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t piece = pieceAt(packed, i);
        rank += kBitCount[unused & ((1u << piece) - 1)] * kFactorial[static_cast<std::size_t>(n - 1 - i)];
        unused &= ~(1u << piece);
    }
    return rank;
}

// The places beside `place` in a grid of that shape, up, left, right, down; -1 off it.
std::array<std::int32_t, 4> neighbours(std::int32_t place, std::int32_t columns, std::int32_t rows)
{
    const std::int32_t x = place % columns;
    const std::int32_t y = place / columns;
    return {y > 0 ? place - columns : -1, x > 0 ? place - 1 : -1, x + 1 < columns ? place + 1 : -1,
        y + 1 < rows ? place + columns : -1};
}

std::vector<std::uint8_t> searchFromSolved(std::int32_t columns, std::int32_t rows)
{
    const std::int32_t n = columns * rows;
    std::vector<std::uint8_t> distance(kFactorial[static_cast<std::size_t>(n)], kUnreached);
    Packed solved = 0;
    for (std::int32_t i = 0; i < n; ++i)
        solved |= static_cast<Packed>(i) << (4 * i);
    std::vector<Packed> queue{solved};
    queue.reserve(distance.size() / 2);
    distance[rankOf(solved, n)] = 0;
    // Level by level, so that a position's own distance needs no look-up.
    std::uint8_t next = 1;
    for (std::size_t head = 0, levelEnd = 1; head < queue.size(); ++head) {
        if (head == levelEnd) {
            levelEnd = queue.size();
            ++next;
        }
        const Packed at = queue[head];
        std::int32_t empty = 0;
        while (pieceAt(at, empty) != n - 1)
            ++empty;
        for (const std::int32_t beside : neighbours(empty, columns, rows)) {
            if (beside < 0)
                continue;
            const Packed moved = exchanged(at, empty, beside);
            std::uint8_t& d = distance[rankOf(moved, n)];
            if (d == kUnreached) {
                d = next;
                queue.push_back(moved);
            }
        }
    }
    return distance;
}

// Shapes from 2 x 2 to 3 x 3 (and 2 x 4, 4 x 2); a single row or column needs no table.
const std::vector<std::uint8_t>& distancesFor(std::int32_t columns, std::int32_t rows)
{
    static std::array<std::once_flag, 9> once;
    static std::array<std::vector<std::uint8_t>, 9> tables;
    const auto slot = static_cast<std::size_t>((columns - 2) * 3 + rows - 2);
    std::call_once(once[slot], [&] { tables[slot] = searchFromSolved(columns, rows); });
    return tables[slot];
}

// The rectangle from place (x0, y0) to the bottom-right corner, 9 places or fewer, holding
// its own pieces (every place outside it is home), renumbered as a board of its own.
struct Corner {
    std::int32_t x0, y0, columns, rows;

    Spot spotOf(std::int32_t local) const { return {x0 + local % columns, y0 + local / columns}; }
    Packed pack(const Position& position) const
    {
        Packed packed = 0;
        for (std::int32_t local = 0; local < columns * rows; ++local) {
            const Spot home = position.homeOfPieceAt(spotOf(local));
            packed |= static_cast<Packed>((home.y - y0) * columns + home.x - x0) << (4 * local);
        }
        return packed;
    }
    std::uint8_t distance(Packed packed) const { return distancesFor(columns, rows)[rankOf(packed, columns * rows)]; }
};

// The first slide of a shortest solution of the corner: where the piece lies that
// slides, the empty place's neighbours tried in a fixed order. Nothing when solved.
std::optional<Spot> shortestStep(const Position& position, const Corner& corner)
{
    const Packed packed = corner.pack(position);
    const std::int32_t n = corner.columns * corner.rows;
    const std::uint8_t now = corner.distance(packed);
    if (now == 0 || now == kUnreached)
        return std::nullopt;
    std::int32_t empty = 0;
    while (pieceAt(packed, empty) != n - 1)
        ++empty;
    for (const std::int32_t beside : neighbours(empty, corner.columns, corner.rows))
        if (beside >= 0 && corner.distance(exchanged(packed, empty, beside)) + 1 == now)
            return corner.spotOf(beside);
    throw std::logic_error("slide table without a way down");
}

// ---- The plan for larger boards --------------------------------------------------------
// The unsolved part is always a rectangle reaching the bottom-right corner. While it has
// more than 8 places, its longer side loses a line: its top row when it is at least as
// tall as wide, else its left column (so a wide board is worked column by column and
// keeps three rows of room at least). A column is solved as a row of the board seen
// transposed. Each line's pieces go home one by one but for the last two, which are
// brought in together; the last 8 places or fewer are finished by their table. (Ending
// on 3 x 2 rather than 3 x 3 leaves the 3 x 3 table, which takes the longest to build,
// to 3 x 3 boards; a board of at most 9 places is all corner from the start.)
//
// Every step is chosen from the position alone: which line and piece are under way
// follows from which pieces are home (pieces finished are never disturbed), and each
// piece's path and each detour of the empty place are functions of where things lie.
// Each step strictly lowers a measure (the piece's distance along its path, then the
// empty place's distance to where the piece goes next), so following the plan one slide
// at a time, or asking afresh after every slide, ends on the solved board.

// A place seen in a frame: (u, v) is (column, row) on the board, or (row, column) when
// the frame is transposed. 0-based.
struct Cell {
    std::int32_t u = 0;
    std::int32_t v = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};

std::int32_t sign(std::int32_t value) { return (value > 0) - (value < 0); }

// The rectangle being solved, in a frame where the line under way is its top row v0:
// columns u0..width-1, rows v0..height-1. In that row the places left of uFree are
// taken (finished, or kept for a piece waiting there); the rest of the rectangle is free.
struct Frame {
    bool transposed = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t u0 = 0;
    std::int32_t v0 = 0;

    Spot spot(Cell c) const { return transposed ? Spot{c.v, c.u} : Spot{c.u, c.v}; }
    Cell cell(Spot s) const { return transposed ? Cell{s.y, s.x} : Cell{s.x, s.y}; }
    bool isFree(Cell c, std::int32_t uFree) const
    {
        return c.u >= u0 && c.u < width && c.v >= v0 && c.v < height && (c.v > v0 || c.u >= uFree);
    }
};

// The next place on a piece's path to `target`: one step nearer, along the longer of the
// two distances (horizontally on a tie), so a diagonal path zigzags and costs about three
// slides a step instead of five; the other way when the first is taken.
Cell nextOnPath(const Frame& frame, std::int32_t uFree, Cell piece, Cell target)
{
    const std::int32_t du = target.u - piece.u;
    const std::int32_t dv = target.v - piece.v;
    const Cell across{piece.u + sign(du), piece.v};
    const Cell down{piece.u, piece.v + sign(dv)};
    const bool downFirst = std::abs(dv) > std::abs(du);
    if (downFirst ? frame.isFree(down, uFree) : (du != 0 && frame.isFree(across, uFree)))
        return downFirst ? down : across;
    const Cell other = downFirst ? across : down;
    if (other == piece || !frame.isFree(other, uFree))
        throw std::logic_error("a piece with no way home");
    return other;
}

// The places within two of the piece the empty place works around and of its goal.
struct Box {
    std::int32_t left, right, top, bottom;

    static Box around(Cell keep, Cell goal)
    {
        return {std::min(keep.u, goal.u) - 2, std::max(keep.u, goal.u) + 2, std::min(keep.v, goal.v) - 2,
            std::max(keep.v, goal.v) + 2};
    }
    Box within(const Frame& frame) const
    {
        return {std::max(left, frame.u0), std::min(right, frame.width - 1), std::max(top, frame.v0),
            std::min(bottom, frame.height - 1)};
    }
    bool contains(Cell c) const { return c.u >= left && c.u <= right && c.v >= top && c.v <= bottom; }
};

constexpr std::array<Cell, 4> kSteps{Cell{0, -1}, Cell{-1, 0}, Cell{1, 0}, Cell{0, 1}};

// A breadth-first search of the box from the goal, a whole distance at a time on a bit
// set of its places (8 bits a row); then the empty place's first step along a shortest
// way there, the steps tried in a fixed order.
Cell searchBox(const Frame& frame, std::int32_t uFree, const Box& box, Cell empty, Cell goal, Cell keep)
{
    const auto bit = [&](Cell c) { return std::uint64_t{1} << ((c.v - box.top) * 8 + c.u - box.left); };
    const std::int32_t width = box.right - box.left + 1;
    const std::int32_t height = box.bottom - box.top + 1;
    const std::uint64_t row = (std::uint64_t{1} << width) - 1;
    std::uint64_t open = row * (((std::uint64_t{1} << (8 * height)) - 1) / 0xFF);
    if (box.top == frame.v0 && box.left < uFree)
        open &= ~((std::uint64_t{1} << (std::min(uFree, box.right + 1) - box.left)) - 1);
    open &= ~bit(keep);
    std::uint64_t reached = bit(goal);
    std::uint64_t last = reached;
    std::uint64_t before = 0;
    while (!(reached & bit(empty))) {
        // Places off the box's width in a row are never open, so no shift wraps into a
        // place that counts.
        const std::uint64_t next = ((last << 1) | (last >> 1) | (last << 8) | (last >> 8)) & open & ~reached;
        if (!next)
            throw std::logic_error("no way around a piece");
        before = last;
        last = next;
        reached |= next;
    }
    for (const Cell step : kSteps) {
        const Cell next{empty.u + step.u, empty.v + step.v};
        if (box.contains(next) && (before & bit(next)))
            return next;
    }
    throw std::logic_error("no way around a piece");
}

// Where the empty place steps next on its way to `goal` without crossing `keep` (the
// piece it is working around) or a taken place. Far away it heads straight for the goal:
// the free part of the rectangle is a staircase, so a step nearer always exists. Within
// two places of `keep` and `goal` it follows a shortest way inside that box, which the
// free places always connect, so the piece is walked around, never pushed.
Cell routeEmpty(const Frame& frame, std::int32_t uFree, Cell empty, Cell goal, Cell keep)
{
    const Box box = Box::around(keep, goal).within(frame);
    if (!box.contains(empty)) {
        const Cell down{empty.u, empty.v + sign(goal.v - empty.v)};
        if (down != empty && frame.isFree(down, uFree))
            return down;
        const Cell across{empty.u + sign(goal.u - empty.u), empty.v};
        if (across == empty || !frame.isFree(across, uFree))
            throw std::logic_error("the empty place cornered");
        return across;
    }
    return searchBox(frame, uFree, box, empty, goal, keep);
}

// A step towards bringing home the piece that belongs at `home`, by way of `target`:
// the piece itself when the empty place waits where it goes next, else the neighbour of
// the empty place that moves it there.
Spot stepTowards(const Position& position, const Frame& frame, std::int32_t uFree, Cell home, Cell target)
{
    const Spot at = position.whereIs(frame.spot(home));
    const Cell from = frame.cell(at);
    const Cell next = nextOnPath(frame, uFree, from, target);
    const Cell empty = frame.cell(position.blank());
    if (empty == next)
        return at;
    return frame.spot(routeEmpty(frame, uFree, empty, next, from));
}

// The last two places of a line, A and B, with the two rows below them: a window of
// 2 x 3 places. Once their two pieces and the empty place are all inside it, a table of
// the 6 x 5 x 4 ways they can lie there finishes the line in the fewest slides; this
// covers every awkward case, such as the two pieces in each other's place.
struct WindowTable {
    // Indexed by (a * 6 + b) * 6 + empty, places of the window numbered in reading order.
    std::array<std::int8_t, 216> distance{};

    static std::int32_t index(std::int32_t a, std::int32_t b, std::int32_t empty) { return (a * 6 + b) * 6 + empty; }

    WindowTable()
    {
        distance.fill(-1);
        std::array<std::int32_t, 216> queue{};
        std::size_t tail = 0;
        for (std::int32_t empty = 2; empty < 6; ++empty) {
            distance[static_cast<std::size_t>(index(0, 1, empty))] = 0;
            queue[tail++] = index(0, 1, empty);
        }
        for (std::size_t head = 0; head < tail; ++head) {
            const std::int32_t state = queue[head];
            for (const std::int32_t beside : neighbours(state % 6, 2, 3)) {
                if (beside < 0)
                    continue;
                const std::int32_t next = moved(state, beside);
                if (distance[static_cast<std::size_t>(next)] < 0) {
                    distance[static_cast<std::size_t>(next)] = static_cast<std::int8_t>(distance[static_cast<std::size_t>(state)] + 1);
                    queue[tail++] = next;
                }
            }
        }
    }

    // The piece at `beside` slides into the empty place (a slide is its own way back).
    static std::int32_t moved(std::int32_t state, std::int32_t beside)
    {
        std::int32_t a = state / 36;
        std::int32_t b = state / 6 % 6;
        const std::int32_t empty = state % 6;
        if (a == beside)
            a = empty;
        else if (b == beside)
            b = empty;
        return index(a, b, beside);
    }
};

Spot finishLine(const Position& position, const Frame& frame)
{
    const std::int32_t uA = frame.width - 2;
    const std::int32_t v0 = frame.v0;
    const Cell a{uA, v0};
    const Cell b{uA + 1, v0};
    const Cell atA = frame.cell(position.whereIs(frame.spot(a)));
    const Cell atB = frame.cell(position.whereIs(frame.spot(b)));
    const Cell empty = frame.cell(position.blank());
    const auto inWindow = [&](Cell c) { return c.u >= uA && c.v <= v0 + 2; };
    if (inWindow(atA) && inWindow(atB) && inWindow(empty)) {
        static const WindowTable table;
        const auto local = [&](Cell c) { return (c.v - v0) * 2 + c.u - uA; };
        const std::int32_t state = WindowTable::index(local(atA), local(atB), local(empty));
        const std::int8_t now = table.distance[static_cast<std::size_t>(state)];
        for (const std::int32_t beside : neighbours(local(empty), 2, 3))
            if (beside >= 0 && table.distance[static_cast<std::size_t>(WindowTable::moved(state, beside))] == now - 1)
                return frame.spot({uA + beside % 2, v0 + beside / 2});
        throw std::logic_error("window table without a way down");
    }
    // B's piece goes to A first, then A's piece below it, with A kept; then the empty
    // place comes to B and the window finishes: B's piece steps right, A's piece up.
    if (atB != a)
        return stepTowards(position, frame, uA, b, a);
    const Cell belowA{uA, v0 + 1};
    if (atA != belowA)
        return stepTowards(position, frame, uA + 1, a, belowA);
    return frame.spot(routeEmpty(frame, uA + 1, empty, b, atA));
}

class SlidePlanner {
public:
    explicit SlidePlanner(const Position& position)
        : position_(position)
    {
    }

    // Where the piece lies that slides into the empty place next; false when solved. A
    // flag and an out-parameter, not an optional: a solution asks a million times.
    bool next(Spot& from)
    {
        const std::int32_t columns = position_.columns;
        const std::int32_t rows = position_.rows;
        for (;;) {
            const std::int32_t width = columns - x0_;
            const std::int32_t height = rows - y0_;
            if (width * height <= 8 || (x0_ == 0 && y0_ == 0 && width * height <= 9)) {
                const std::optional<Spot> step = shortestStep(position_, Corner{x0_, y0_, width, height});
                from = step.value_or(Spot{});
                return step.has_value();
            }
            const Frame frame = height >= width ? Frame{false, columns, rows, x0_, y0_} : Frame{true, rows, columns, y0_, x0_};
            // The pieces before u_ in this line are home, and stay there.
            u_ = std::max(u_, frame.u0);
            while (u_ < frame.width - 2 && position_.home(frame.spot({u_, frame.v0})))
                ++u_;
            const Cell here{u_, frame.v0};
            if (u_ < frame.width - 2) {
                from = stepTowards(position_, frame, u_, here, here);
                return true;
            }
            if (!position_.home(frame.spot(here)) || !position_.home(frame.spot({u_ + 1, frame.v0}))) {
                from = finishLine(position_, frame);
                return true;
            }
            (frame.transposed ? x0_ : y0_) += 1;
            u_ = 0;
        }
    }

private:
    const Position& position_;
    std::int32_t x0_ = 0;  // the unsolved rectangle's top-left place
    std::int32_t y0_ = 0;
    std::int32_t u_ = 0;   // the line's first place that may not be home yet
};

// ---- A single row or column --------------------------------------------------------
// Slides only carry the empty place along the line; the other pieces keep their order,
// so a solvable line is solved by walking the empty place home.

bool isLine(const BoardArray& board) { return board.columns() == 1 || board.rows() == 1; }

std::int32_t emptyDistanceOnLine(const BoardArray& board)
{
    const Place empty = findLastPiece(board);
    return (board.columns() - empty.column) + (board.rows() - empty.row);
}

Move lineStep(const BoardArray& board)
{
    const Place empty = findLastPiece(board);
    const Place beside = board.columns() == 1 ? Place{empty.column, static_cast<std::int16_t>(empty.row + 1)}
                                              : Place{static_cast<std::int16_t>(empty.column + 1), empty.row};
    return {beside, empty};
}

bool isSmall(const BoardArray& board) { return board.columns() * board.rows() <= 9; }

}  // namespace

std::int32_t fewestExchanges(const BoardArray& board)
{
    const std::vector<std::int16_t> pieces = piecesInReadingOrder(board);
    return static_cast<std::int32_t>(pieces.size()) - countCycles(pieces);
}

std::optional<Move> exchangeHint(const BoardArray& board)
{
    const std::int16_t columns = board.columns();
    for (std::int16_t r = 1; r <= board.rows(); ++r)
        for (std::int16_t c = 1; c <= columns; ++c) {
            const std::int32_t piece = board(c, r) - 1;
            if (piece != (r - 1) * columns + c - 1)
                return Move{{c, r}, {static_cast<std::int16_t>(piece % columns + 1), static_cast<std::int16_t>(piece / columns + 1)}};
        }
    return std::nullopt;
}

std::vector<Move> solveBySlides(const BoardArray& board)
{
    std::vector<Move> moves;
    if (!board.exists() || !isSolvableBySlides(board))
        return moves;
    if (isLine(board)) {
        BoardArray line = board;
        for (std::int32_t left = emptyDistanceOnLine(board); left > 0; --left) {
            moves.push_back(lineStep(line));
            line.exchange(moves.back().from, moves.back().to);
        }
        return moves;
    }
    // A shuffled board takes about 1.3 x (columns + rows) slides a piece: room for that
    // from the start spares a 75 x 75 solution the copying of its million moves as it grows.
    const auto expected = static_cast<std::size_t>(board.columns() * board.rows() * (board.columns() + board.rows()));
    moves.reserve(expected * 3 / 2);
    Position position(board);
    SlidePlanner planner(position);
    for (Spot from; planner.next(from);) {
        moves.push_back({placeOf(from), placeOf(position.blank())});
        position.slide(from);
        // The plan always ends; if a fault ever made it wander, fail rather than freeze.
        if (moves.size() > 10 * expected + 1000)
            throw std::logic_error("a plan of slides that does not end");
    }
    if (moves.capacity() > 2 * moves.size())
        moves.shrink_to_fit();  // a board nearly solved keeps no room it never used
    return moves;
}

std::optional<Move> slideHint(const BoardArray& board)
{
    if (!board.exists())
        return std::nullopt;
    if (isLine(board)) {
        if (!isSolvableBySlides(board) || isSolved(board))
            return std::nullopt;
        return lineStep(board);
    }
    // The board is read once; a solved board has no step.
    const Position position(board);
    if (!isSolvableBySlides(position.pieces, position.columns, position.rows))
        return std::nullopt;
    Spot from;
    if (!SlidePlanner(position).next(from))
        return std::nullopt;
    return Move{placeOf(from), placeOf(position.blank())};
}

std::optional<std::vector<Move>> shortestSlides(const BoardArray& board, const std::atomic<bool>* stop)
{
    if (!board.exists() || !isSolvableBySlides(board))
        return std::nullopt;
    if (!slideCountNeedsSearch(board))
        return isLine(board) || isSmall(board) ? std::optional(solveBySlides(board)) : std::nullopt;
    const Position position(board);
    const std::optional<std::vector<std::int32_t>> steps =
        shortestSlideSteps(position.pieces, position.columns, position.rows, stop);
    if (!steps)
        return std::nullopt;
    std::vector<Move> moves;
    Place empty = placeOf(position.blank());
    for (const std::int32_t step : *steps) {
        const Place from = placeOf({step % position.columns, step / position.columns});
        moves.push_back({from, empty});
        empty = from;
    }
    return moves;
}

bool slideCountNeedsSearch(const BoardArray& board)
{
    return !isLine(board) && !isSmall(board) && board.columns() * board.rows() <= kExactSlidePlaces;
}

std::optional<std::int32_t> fewestSlides(const BoardArray& board)
{
    if (!board.exists() || !isSolvableBySlides(board))
        return std::nullopt;
    if (isLine(board))
        return emptyDistanceOnLine(board);
    if (slideCountNeedsSearch(board)) {
        const std::optional<std::vector<Move>> moves = shortestSlides(board);
        return moves ? std::optional(static_cast<std::int32_t>(moves->size())) : std::nullopt;
    }
    if (!isSmall(board))
        return std::nullopt;
    const Corner whole{0, 0, board.columns(), board.rows()};
    return whole.distance(whole.pack(Position(board)));
}

std::optional<std::int32_t> par(const BoardArray& board, PuzzleStyle style)
{
    if (style == PuzzleStyle::Difficult)
        return fewestSlides(board);
    return fewestExchanges(board);
}

std::optional<std::int32_t> instantPar(const BoardArray& board, PuzzleStyle style)
{
    if (style == PuzzleStyle::Difficult && slideCountNeedsSearch(board))
        return std::nullopt;
    return par(board, style);
}

}  // namespace tessaron
