#pragma once
// A puzzle on the board: the board array and the window's surface changed together, one
// exchange at a time, so the image in each place is always the piece its cell names.
// Knows nothing of windows; the owner supplies the refresh that puts the surface on the
// screen.

#include "core/board/board_state.h"
#include "core/board/geometry.h"
#include "core/board/random_source.h"
#include "core/platform/surface.h"

#include <cstdint>
#include <functional>
#include <span>

namespace tessaron {

class BoardGame {
public:
    BoardGame(GameState& state, BoardFields& fields, Surface& window, Surface& scratch);

    // Pushes the window surface's changes to the screen; may be empty.
    std::function<void()> refresh;

    // A new puzzle: its board (in solved order) and its picture area W x H in twips (the
    // holder's inner size). Takes what was made aside; nothing here can fail.
    void startWith(BoardArray board, float width, float height) noexcept;
    float pictureWidth() const { return W_; }
    float pictureHeight() const { return H_; }
    PlaceGeometry geometry() const;

    // Clear to the background, the whole picture area copied from the scratch surface's
    // top-left corner, the grid over it.
    void drawPicture(Pixel background);
    void DrawGrid(std::span<const PixelRect> within = {});
    // The bottom-right place painted black: the empty place from now on.
    void BlackenEmptyPlace();

    // 5 x PiecesX x PiecesY random exchanges, each shown as it happens, then the grid.
    // In the Difficult style the result is always solvable by slides: an odd position
    // gets one more exchange of two pieces that are not the empty place, and a single
    // row or column (where exchanges can only ever produce unsolvable positions) is mixed
    // by random slides of the empty place instead. A board that comes out solved gets one
    // exchange more: the player is never handed a finished puzzle that could be mixed.
    void ShufflePieces(RandomSource& random, bool difficult);

    // The move proper: the two places' images exchanged, the grid drawn again, the
    // window refreshed, the two cells exchanged.
    void movePiece(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY);

    // Exchanges counted since the board was numbered (the shuffle's and the moves').
    std::int64_t exchangeCount() const { return exchanges_; }

private:
    void exchange(std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY);
    void slideShuffle(RandomSource& random, std::int32_t rounds);
    void repairParity(RandomSource& random);
    void unsolve(RandomSource& random, bool difficult);
    void doRefresh();

    GameState& state_;
    BoardFields& fields_;
    Surface& window_;
    Surface& scratch_;
    float W_ = 0;
    float H_ = 0;
    std::int64_t exchanges_ = 0;
};

}  // namespace tessaron
