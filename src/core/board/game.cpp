#include "core/board/game.h"

#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "core/platform/vb_math.h"

namespace tessaron {

BoardGame::BoardGame(GameState& state, BoardFields& fields, Surface& window, Surface& scratch)
    : state_(state), fields_(fields), window_(window), scratch_(scratch)
{
}

void BoardGame::startWith(BoardArray board, float width, float height) noexcept
{
    state_.Board = std::move(board);
    W_ = width;
    H_ = height;
    exchanges_ = 0;
}

PlaceGeometry BoardGame::geometry() const
{
    return PlaceGeometry{state_.TwipsX, state_.TwipsY, state_.PiecesX, state_.PiecesY, W_, H_,
        fields_.BoardLeft, fields_.BoardTop};
}

void BoardGame::doRefresh()
{
    if (refresh)
        refresh();
}

void BoardGame::drawPicture(Pixel background) { tessaron::drawPicture(window_, scratch_, geometry(), background); }

void BoardGame::DrawGrid(std::span<const PixelRect> within)
{
    tessaron::DrawGrid(window_, state_.TwipsX, state_.TwipsY, fields_.BoardLeft, fields_.BoardTop,
        roundToInt32(W_), roundToInt32(H_), state_.PiecesX, state_.PiecesY, within);
}

void BoardGame::BlackenEmptyPlace()
{
    blackenEmptyPlace(window_, geometry());
    doRefresh();
}

void BoardGame::exchange(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY)
{
    ExchangePlaces(window_, scratch_, geometry(), fromX, fromY, toX, toY);
    doRefresh();
    state_.Board.exchange(toY, toX, fromY, fromX);
    ++exchanges_;
}

void BoardGame::ShufflePieces(RandomSource& random, bool difficult)
{
    const std::int32_t columns = state_.PiecesX;
    const std::int32_t rows = state_.PiecesY;
    const std::int32_t rounds = 5 * columns * rows;
    if (difficult && (columns == 1 || rows == 1)) {
        slideShuffle(random, rounds);
    } else {
        for (std::int32_t i = 0; i < 5 * columns; ++i) {
            for (std::int32_t j = 0; j < rows; ++j) {
                const std::int32_t fromX = random.draw(columns);
                const std::int32_t toX = random.draw(columns);
                const std::int32_t fromY = random.draw(rows);
                const std::int32_t toY = random.draw(rows);
                exchange(fromX, fromY, toX, toY);
            }
        }
        if (difficult)
            repairParity(random);
    }
    if (isSolved(state_.Board))
        unsolve(random, difficult);
    DrawGrid();
}

void BoardGame::unsolve(RandomSource& random, bool difficult)
{
    const std::int32_t columns = state_.PiecesX;
    const std::int32_t rows = state_.PiecesY;
    if (columns * rows < 2)
        return;  // one piece has no other arrangement
    // The empty place sits at home, bottom right: sliding its neighbour in keeps the board
    // solvable by slides.
    if (difficult) {
        if (columns > 1)
            exchange(columns - 1, rows, columns, rows);
        else
            exchange(columns, rows - 1, columns, rows);
        return;
    }
    std::int32_t fromX = 0, fromY = 0, toX = 0, toY = 0;
    do {
        fromX = random.draw(columns);
        fromY = random.draw(rows);
        toX = random.draw(columns);
        toY = random.draw(rows);
    } while (fromX == toX && fromY == toY);
    exchange(fromX, fromY, toX, toY);
}

void BoardGame::slideShuffle(RandomSource& random, std::int32_t rounds)
{
    const std::int32_t columns = state_.PiecesX;
    const std::int32_t rows = state_.PiecesY;
    const std::int32_t empty = columns * rows;
    if (empty < 2)
        return;
    // Where the empty piece lies now (a single line: one index walks along it).
    std::int32_t at = 1;
    for (std::int32_t r = 1; r <= rows; ++r)
        for (std::int32_t c = 1; c <= columns; ++c)
            if (state_.Board(r, c) == empty)
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
            exchange(1, to, 1, at);
        else
            exchange(to, 1, at, 1);
        at = to;
    }
}

void BoardGame::repairParity(RandomSource& random)
{
    if (isSolvableBySlides(state_.Board))
        return;
    const std::int32_t columns = state_.PiecesX;
    const std::int32_t rows = state_.PiecesY;
    const std::int32_t empty = columns * rows;
    // Two different places, neither of them the empty one: exchanging their pieces flips
    // the permutation's parity and leaves the empty place where it is.
    std::int32_t fromX = 0, fromY = 0, toX = 0, toY = 0;
    do {
        fromX = random.draw(columns);
        fromY = random.draw(rows);
    } while (state_.Board(fromY, fromX) == empty);
    do {
        toX = random.draw(columns);
        toY = random.draw(rows);
    } while (state_.Board(toY, toX) == empty || (toX == fromX && toY == fromY));
    exchange(fromX, fromY, toX, toY);
}

void BoardGame::movePiece(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY)
{
    const PlaceGeometry places = geometry();
    ExchangePlaces(window_, scratch_, places, fromX, fromY, toX, toY);
    // Only the two places changed: the grid elsewhere is as the last full drawing left it.
    const PixelRect changed[] = {places.windowRect(fromX, fromY), places.windowRect(toX, toY)};
    DrawGrid(changed);
    doRefresh();
    state_.Board.exchange(toY, toX, fromY, fromX);
    ++exchanges_;
}

}  // namespace tessaron
