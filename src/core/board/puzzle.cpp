#include "core/board/puzzle.h"

#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "core/platform/vb_math.h"

#include <algorithm>

namespace tessaron {

Puzzle Puzzle::blank(std::int32_t width, std::int32_t height, Pixel background)
{
    Puzzle blank;
    blank.plan_.background = background;
    blank.window_.resize(width, height, background);
    return blank;
}

Puzzle Puzzle::build(Surface picture, const PuzzlePlan& plan)
{
    Puzzle next;
    next.plan_ = plan;
    next.board_ = solvedBoard(plan.columns, plan.rows);
    next.whole_ = std::move(picture);
    const PixelRect piece = next.geometry().pieceRect();
    next.scratch_.resize(std::max(piece.w, 0), std::max(piece.h, 0));
    // Drawing the picture clears the board first: it needs no fill of its own.
    next.window_.reshape(plan.boardWidth, plan.boardHeight);
    drawPicture(next.window_, next.whole_, next.geometry(), plan.background);
    if (next.difficult())
        blackenEmptyPlace(next.window_, next.geometry());
    return next;
}

PlaceGeometry Puzzle::geometry() const
{
    const Layout& layout = plan_.layout;
    return PlaceGeometry{plan_.twipsX, plan_.twipsY, board_.columns(), board_.rows(), layout.picWidth,
        layout.picHeight, layout.BoardLeft, layout.BoardTop};
}

bool Puzzle::isSolved() const { return exists() && tessaron::isSolved(board_); }

void Puzzle::drawGrid(std::span<const PixelRect> within)
{
    const Layout& layout = plan_.layout;
    DrawGrid(window_, plan_.twipsX, plan_.twipsY, layout.BoardLeft, layout.BoardTop,
        roundToInt32(layout.picWidth), roundToInt32(layout.picHeight), board_.columns(), board_.rows(), within);
}

void Puzzle::exchange(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY,
    const std::function<void()>& shown)
{
    ExchangePlaces(window_, scratch_, geometry(), fromX, fromY, toX, toY);
    board_.exchange(toY, toX, fromY, fromX);
    ++exchanges_;
    if (shown)
        shown();
}

void Puzzle::shuffle(RandomSource& random, const std::function<void()>& shown)
{
    const std::int32_t columns = board_.columns();
    const std::int32_t rows = board_.rows();
    const std::int32_t rounds = 5 * columns * rows;
    if (difficult() && (columns == 1 || rows == 1)) {
        slideShuffle(random, rounds, shown);
    } else {
        for (std::int32_t i = 0; i < 5 * columns; ++i) {
            for (std::int32_t j = 0; j < rows; ++j) {
                const std::int32_t fromX = random.draw(columns);
                const std::int32_t toX = random.draw(columns);
                const std::int32_t fromY = random.draw(rows);
                const std::int32_t toY = random.draw(rows);
                exchange(fromX, fromY, toX, toY, shown);
            }
        }
        if (difficult())
            repairParity(random, shown);
    }
    if (isSolved())
        unsolve(random, shown);
    drawGrid();
    // Nothing picked on a shuffled board: a release with no press on it moves nothing.
    picked_.reset();
}

void Puzzle::unsolve(RandomSource& random, const std::function<void()>& shown)
{
    const std::int32_t columns = board_.columns();
    const std::int32_t rows = board_.rows();
    if (columns * rows < 2)
        return;  // one piece has no other arrangement
    // The empty place sits at home, bottom right: sliding its neighbour in keeps the board
    // solvable by slides.
    if (difficult()) {
        if (columns > 1)
            exchange(columns - 1, rows, columns, rows, shown);
        else
            exchange(columns, rows - 1, columns, rows, shown);
        return;
    }
    std::int32_t fromX = 0, fromY = 0, toX = 0, toY = 0;
    do {
        fromX = random.draw(columns);
        fromY = random.draw(rows);
        toX = random.draw(columns);
        toY = random.draw(rows);
    } while (fromX == toX && fromY == toY);
    exchange(fromX, fromY, toX, toY, shown);
}

void Puzzle::slideShuffle(RandomSource& random, std::int32_t rounds, const std::function<void()>& shown)
{
    const std::int32_t columns = board_.columns();
    const std::int32_t rows = board_.rows();
    const std::int32_t empty = columns * rows;
    if (empty < 2)
        return;
    // Where the empty piece lies now (a single line: one index walks along it).
    std::int32_t at = 1;
    for (std::int32_t r = 1; r <= rows; ++r)
        for (std::int32_t c = 1; c <= columns; ++c)
            if (board_(r, c) == empty)
                at = columns == 1 ? r : c;
    // A walk of a fixed length ends at a fixed parity of distance from home: one step
    // more half of the time lets every place come out.
    rounds += random.draw(2) - 1;
    for (std::int32_t i = 0; i < rounds; ++i) {
        std::int32_t to = at;
        if (at == 1)
            to = 2;
        else if (at == empty)
            to = empty - 1;
        else
            to = random.draw(2) == 1 ? at - 1 : at + 1;
        // The piece beside the empty place slides into it.
        if (columns == 1)
            exchange(1, to, 1, at, shown);
        else
            exchange(to, 1, at, 1, shown);
        at = to;
    }
}

void Puzzle::repairParity(RandomSource& random, const std::function<void()>& shown)
{
    if (isSolvableBySlides(board_))
        return;
    const std::int32_t columns = board_.columns();
    const std::int32_t rows = board_.rows();
    const std::int32_t empty = columns * rows;
    // Two different places, neither of them the empty one: exchanging their pieces flips
    // the permutation's parity and leaves the empty place where it is.
    std::int32_t fromX = 0, fromY = 0, toX = 0, toY = 0;
    do {
        fromX = random.draw(columns);
        fromY = random.draw(rows);
    } while (board_(fromY, fromX) == empty);
    do {
        toX = random.draw(columns);
        toY = random.draw(rows);
    } while (board_(toY, toX) == empty || (toX == fromX && toY == fromY));
    exchange(fromX, fromY, toX, toY, shown);
}

std::optional<Place> Puzzle::placeAt(float x, float y) const
{
    if (!exists())
        return std::nullopt;
    const Layout& layout = plan_.layout;
    const float cellHeight = divide(layout.picHeight, static_cast<float>(board_.rows()));
    const float cellWidth = divide(layout.picWidth, static_cast<float>(board_.columns()));
    Place place;
    if (!FindCell(layout.picLeft, layout.picTop, cellWidth, cellHeight, x, y, board_.columns(), board_.rows(),
            place.column, place.row))
        return std::nullopt;
    return place;
}

void Puzzle::pressAt(float x, float y)
{
    picked_ = placeAt(x, y);
    // The player took the mouse: the frame would only hide the picture. The cursor keeps
    // its place for the next key, but not its pick, which the press has replaced.
    cursor_.shown = false;
    cursor_.picked.reset();
}

MoveResult Puzzle::releaseAt(float x, float y)
{
    const std::optional<Place> to = placeAt(x, y);
    if (!to || !picked_)
        return MoveResult::Refused;
    return move(*picked_, *to);
}

MoveResult Puzzle::move(Place from, Place to)
{
    const auto onBoard = [this](Place p) {
        return p.column >= 1 && p.column <= board_.columns() && p.row >= 1 && p.row <= board_.rows();
    };
    // Checked before anything is drawn: the picture and the board must never part.
    if (!exists() || !onBoard(from) || !onBoard(to))
        return MoveResult::Refused;
    bool moved = false;
    if (!difficult() || canMoveToEmpty(board_, from.column, from.row, to.column, to.row)) {
        const PlaceGeometry places = geometry();
        ExchangePlaces(window_, scratch_, places, from.column, from.row, to.column, to.row);
        // Only the two places changed: the grid elsewhere is as the last full drawing
        // left it.
        const PixelRect changed[] = {places.windowRect(from.column, from.row), places.windowRect(to.column, to.row)};
        drawGrid(changed);
        board_.exchange(to.row, to.column, from.row, from.column);
        ++exchanges_;
        moved = true;
    }
    if (isSolved())
        return MoveResult::Solved;
    return moved ? MoveResult::Moved : MoveResult::Refused;
}

KeyOutcome Puzzle::keyPressed(Key key)
{
    if (!exists())
        return {};
    return difficult() ? slideByKey(key) : cursorKey(key);
}

KeyOutcome Puzzle::slideByKey(Key key)
{
    const std::int16_t empty = static_cast<std::int16_t>(board_.columns() * board_.rows());
    Place hole;
    for (std::int16_t r = 1; r <= board_.rows(); ++r)
        for (std::int16_t c = 1; c <= board_.columns(); ++c)
            if (board_(r, c) == empty)
                hole = {c, r};
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
    if (from.column < 1 || from.column > board_.columns() || from.row < 1 || from.row > board_.rows())
        return {};
    return {move(from, hole), BoardNews::Slid, hole, from};
}

KeyOutcome Puzzle::cursorKey(Key key)
{
    if (!cursor_.shown) {
        // The first key only shows where the keyboard is; Escape has nothing to drop.
        if (key == Key::Drop)
            return {};
        cursor_.shown = true;
        return {MoveResult::Refused, BoardNews::Cursor, cursor_.place, {}};
    }
    Place& at = cursor_.place;
    const Place was = at;
    switch (key) {
    case Key::Left: at.column = std::max<std::int16_t>(1, static_cast<std::int16_t>(at.column - 1)); break;
    case Key::Right: at.column = std::min(board_.columns(), static_cast<std::int16_t>(at.column + 1)); break;
    case Key::Up: at.row = std::max<std::int16_t>(1, static_cast<std::int16_t>(at.row - 1)); break;
    case Key::Down: at.row = std::min(board_.rows(), static_cast<std::int16_t>(at.row + 1)); break;
    case Key::Pick:
        if (!cursor_.picked) {
            cursor_.picked = at;
            return {MoveResult::Refused, BoardNews::Picked, at, {}};
        }
        if (*cursor_.picked != at) {
            const Place from = *cursor_.picked;
            cursor_.picked.reset();
            return {move(from, at), BoardNews::Exchanged, at, from};
        }
        [[fallthrough]];  // the same place again puts the piece back down
    case Key::Drop:
        if (!cursor_.picked)
            return {};
        cursor_.picked.reset();
        return {MoveResult::Refused, BoardNews::Cursor, at, {}};
    }
    if (at == was)
        return {};  // against the edge
    return {MoveResult::Refused, BoardNews::Cursor, at, {}};
}

}  // namespace tessaron
