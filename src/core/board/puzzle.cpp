#include "core/board/puzzle.h"

#include "core/board/puzzle_plan.h"
#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "core/platform/arithmetic.h"

#include <algorithm>
#include <utility>

namespace tessaron {

Puzzle Puzzle::blank(std::int32_t width, std::int32_t height, Pixel background)
{
    Puzzle blank;
    blank.window_.resize(width, height, background);
    return blank;
}

Puzzle Puzzle::build(Surface picture, const PuzzlePlan& plan)
{
    Puzzle next;
    next.twipsX_ = plan.twipsX;
    next.twipsY_ = plan.twipsY;
    next.style_ = plan.style;
    next.layout_ = plan.layout;
    next.board_ = solvedBoard(plan.columns, plan.rows);
    next.empty_ = {plan.columns, plan.rows};
    next.whole_ = std::move(picture);
    const PlaceGeometry places = next.geometry();
    const PixelRect piece = places.pieceRect();
    next.scratch_.resize(std::max(piece.w, 0), std::max(piece.h, 0));
    // Drawing the picture clears the board first: it needs no fill of its own.
    next.window_.reshape(plan.boardWidth, plan.boardHeight);
    drawPicture(next.window_, next.whole_, places, plan.background);
    if (next.sliding())
        blackenEmptyPlace(next.window_, places);
    return next;
}

PlaceGeometry Puzzle::geometry() const
{
    return PlaceGeometry{twipsX_, twipsY_, board_.columns(), board_.rows(), layout_.picWidth, layout_.picHeight,
        layout_.left, layout_.top};
}

bool Puzzle::isSolved() const { return exists() && tessaron::isSolved(board_); }

void Puzzle::execute(const Move& move, const std::function<void()>& shown)
{
    exchangePlaces(window_, scratch_, geometry(), move);
    board_.exchange(move.from, move.to);
    if (empty_ == move.from)
        empty_ = move.to;
    else if (empty_ == move.to)
        empty_ = move.from;
    if (shown)
        shown();
}

bool Puzzle::allows(const Move& move) const
{
    const auto onBoard = [this](Place p) {
        return p.column >= 1 && p.column <= board_.columns() && p.row >= 1 && p.row <= board_.rows();
    };
    return exists() && onBoard(move.from) && onBoard(move.to) && (!sliding() || canMoveToEmpty(empty_, move));
}

MoveResult Puzzle::play(const Move& move)
{
    // Checked before anything is drawn: the picture and the board must never part.
    const bool allowed = allows(move);
    if (allowed) {
        execute(move);
        // Only the two places changed: the grid elsewhere is as the last full drawing
        // left it.
        const PlaceGeometry places = geometry();
        const PixelRect changed[] = {places.windowRect(move.from.column, move.from.row),
            places.windowRect(move.to.column, move.to.row)};
        drawGrid(window_, places, changed);
    }
    if (isSolved())
        return MoveResult::Solved;
    return allowed ? MoveResult::Moved : MoveResult::Refused;
}

Place Puzzle::randomPlace(RandomSource& random) const
{
    const auto column = static_cast<std::int16_t>(random.draw(board_.columns()));
    return {column, static_cast<std::int16_t>(random.draw(board_.rows()))};
}

void Puzzle::shuffle(RandomSource& random, const std::function<void()>& shown)
{
    const std::int32_t columns = board_.columns();
    const std::int32_t rows = board_.rows();
    if (sliding() && (columns == 1 || rows == 1)) {
        dealLine(random, shown);
    } else {
        for (std::int32_t i = 0; i < 5 * columns; ++i) {
            for (std::int32_t j = 0; j < rows; ++j) {
                // Drawn in this order: both columns, then both rows.
                const auto fromColumn = static_cast<std::int16_t>(random.draw(columns));
                const auto toColumn = static_cast<std::int16_t>(random.draw(columns));
                const auto fromRow = static_cast<std::int16_t>(random.draw(rows));
                const auto toRow = static_cast<std::int16_t>(random.draw(rows));
                execute({{fromColumn, fromRow}, {toColumn, toRow}}, shown);
            }
        }
        if (sliding())
            repairParity(random, shown);
    }
    if (isSolved())
        unsolve(random, shown);
    drawGrid(window_, geometry());
}

void Puzzle::unsolve(RandomSource& random, const std::function<void()>& shown)
{
    const std::int16_t columns = board_.columns();
    const std::int16_t rows = board_.rows();
    if (columns * rows < 2)
        return;  // one piece has no other arrangement
    // The empty place sits at home, bottom right: sliding a neighbour in keeps the board
    // solvable by slides. Either neighbour, at random, so that neither arrangement comes
    // up more often than the other.
    if (sliding()) {
        const Place left{static_cast<std::int16_t>(columns - 1), rows};
        const Place above{columns, static_cast<std::int16_t>(rows - 1)};
        const bool fromLeft = rows == 1 || (columns > 1 && random.draw(2) == 1);
        execute({fromLeft ? left : above, {columns, rows}}, shown);
        return;
    }
    Move move;
    do {
        move.from = randomPlace(random);
        move.to = randomPlace(random);
    } while (move.from == move.to);
    execute(move, shown);
}

void Puzzle::dealLine(RandomSource& random, const std::function<void()>& shown)
{
    const std::int16_t columns = board_.columns();
    const std::int32_t places = columns * board_.rows();
    if (places < 2)
        return;
    // A line's only freedom is where its empty place lies: every place but its own is
    // equally likely, and the empty place walks there from home so the player sees it.
    const std::int32_t target = random.draw(places - 1);
    const auto place = [columns](std::int32_t index) {
        const auto i = static_cast<std::int16_t>(index);
        return columns == 1 ? Place{1, i} : Place{i, 1};
    };
    for (std::int32_t at = columns == 1 ? empty_.row : empty_.column; at > target; --at)
        execute({place(at - 1), place(at)}, shown);
}

void Puzzle::repairParity(RandomSource& random, const std::function<void()>& shown)
{
    if (isSolvableBySlides(board_))
        return;
    // Two different places, neither of them the empty one: exchanging their pieces flips
    // the permutation's parity and leaves the empty place where it is.
    Move move;
    do
        move.from = randomPlace(random);
    while (move.from == empty_);
    do
        move.to = randomPlace(random);
    while (move.to == empty_ || move.to == move.from);
    execute(move, shown);
}

std::optional<Place> Puzzle::placeAt(float x, float y) const
{
    if (!exists())
        return std::nullopt;
    const CellGrid grid{static_cast<float>(layout_.left), static_cast<float>(layout_.top),
        divide(layout_.picWidth, static_cast<float>(board_.columns())),
        divide(layout_.picHeight, static_cast<float>(board_.rows())), board_.columns(), board_.rows()};
    return findCell(grid, x, y);
}

}  // namespace tessaron
