#include "core/board/game.h"
#include "core/board/rendering.h"
#include "core/board/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tessaron {
namespace {

// A puzzle on surfaces alone: a picture of distinct pixels, laid out with its margins.
struct Bench {
    GameState state;
    BoardFields fields;
    Surface window;
    Surface scratch;
    BoardGame game{state, fields, window, scratch};

    Bench(std::int16_t columns, std::int16_t rows, std::int32_t width, std::int32_t height)
    {
        state.TwipsX = state.TwipsY = 15.0f;
        state.PiecesX = columns;
        state.PiecesY = rows;
        scratch.resize(width, height);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                scratch.row(y)[x] = 0xFF000000u | (static_cast<Pixel>(y) << 12) | static_cast<Pixel>(x + 1);
        fields.BoardLeft = 322;  // not a whole number of pixels
        fields.BoardTop = 233;
        window.resize(width + 50, height + 50);
        game.startWith(solvedBoard(columns, rows), static_cast<float>(width) * 15, static_cast<float>(height) * 15);
        game.drawPicture(kWhite);
    }
};

bool isPermutation(const BoardArray& board)
{
    std::vector<std::int16_t> all;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            all.push_back(board(r, c));
    std::sort(all.begin(), all.end());
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] != static_cast<std::int16_t>(i + 1))
            return false;
    return true;
}

TEST(ShufflePieces, FiveExchangesPerPlaceAndAPermutationAfterwards)
{
    Bench bench(4, 4, 200, 160);
    int refreshes = 0;
    bench.game.refresh = [&] { ++refreshes; };
    RandomSource random(42);
    bench.game.ShufflePieces(random, false);
    EXPECT_EQ(bench.game.exchangeCount(), 80);
    EXPECT_EQ(refreshes, 80);
    EXPECT_TRUE(isPermutation(bench.state.Board));
    EXPECT_FALSE(isSolved(bench.state.Board));
}

// A shuffle never hands over a finished board where another arrangement exists; a
// Difficult one can always be solved by slides, and in a single line (where slides are
// the only mixing) the empty place may end in any place but its own.
TEST(ShufflePieces, NeverSolvedAndDifficultAlwaysSolvableBySlides)
{
    const struct {
        std::int16_t columns, rows;
        bool difficult;
        int seeds;
    } grids[] = {{1, 2, true, 60}, {1, 3, true, 60}, {1, 4, true, 80}, {6, 1, true, 150},
        {2, 2, true, 200}, {4, 4, true, 60}, {3, 7, true, 30}, {75, 75, true, 3},
        {2, 1, false, 60}, {1, 2, false, 60}, {2, 2, false, 60}};
    for (const auto& g : grids) {
        SCOPED_TRACE(testing::Message() << g.columns << "x" << g.rows << (g.difficult ? " difficult" : " normal"));
        const std::int32_t pieces = g.columns * g.rows;
        std::vector<bool> emptyAt(static_cast<std::size_t>(pieces + 1), false);
        for (int seed = 0; seed < g.seeds; ++seed) {
            Bench bench(g.columns, g.rows, 150, 150);
            if (g.difficult)
                bench.game.BlackenEmptyPlace();
            RandomSource random(static_cast<std::uint64_t>(seed));
            bench.game.ShufflePieces(random, g.difficult);
            ASSERT_TRUE(isPermutation(bench.state.Board));
            ASSERT_FALSE(isSolved(bench.state.Board)) << "seed " << seed;
            if (!g.difficult)
                continue;
            ASSERT_TRUE(isSolvableBySlides(bench.state.Board)) << "seed " << seed;
            for (std::int32_t r = 1; r <= g.rows; ++r)
                for (std::int32_t c = 1; c <= g.columns; ++c)
                    if (bench.state.Board(r, c) == pieces)
                        emptyAt[static_cast<std::size_t>((r - 1) * g.columns + c)] = true;
        }
        if (g.difficult && (g.columns == 1 || g.rows == 1)) {
            for (std::int32_t place = 1; place < pieces; ++place)
                EXPECT_TRUE(emptyAt[static_cast<std::size_t>(place)]) << "the empty place never ends at " << place;
        }
    }
    // A single piece has no other arrangement: it is handed over as it is.
    Bench one(1, 1, 150, 150);
    RandomSource random(1);
    one.game.ShufflePieces(random, true);
    EXPECT_TRUE(isSolved(one.state.Board));
}

// Offsets inside a place whose pixels move with their piece in every place along one axis:
// covered by that place alone and off the grid lines. A seam (a one-pixel overlap) is
// overwritten by the neighbour sharing it when that one moves, and the grid repaints its
// lines, so such damage travels with the piece.
std::vector<bool> cleanOffsets(const Bench& bench, bool horizontal)
{
    const PlaceGeometry g = bench.game.geometry();
    const auto span = [&](std::int32_t i) {
        const PixelRect r = horizontal ? g.windowRect(i, 1) : g.windowRect(1, i);
        return horizontal ? std::pair{r.x, r.w} : std::pair{r.y, r.h};
    };
    const std::int32_t count = horizontal ? g.PiecesX : g.PiecesY;
    std::vector<int> cover(static_cast<std::size_t>(horizontal ? bench.window.width() : bench.window.height()), 0);
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto [from, length] = span(i);
        for (std::int32_t p = from; p < from + length; ++p)
            ++cover[static_cast<std::size_t>(p)];
    }
    Surface grid(bench.window.width(), bench.window.height());
    DrawGrid(grid, 15.0f, 15.0f, bench.fields.BoardLeft, bench.fields.BoardTop,
        static_cast<std::int32_t>(bench.game.pictureWidth()),
        static_cast<std::int32_t>(bench.game.pictureHeight()), g.PiecesX, g.PiecesY);
    // A line is black on both sides of the middle of the other axis, away from the frame.
    const auto onLine = [&](std::int32_t p) {
        const std::int32_t mid = horizontal ? grid.height() / 2 : grid.width() / 2;
        return (horizontal ? grid.pixel(p, mid + 1) : grid.pixel(mid + 1, p)) == kBlack
            && (horizontal ? grid.pixel(p, mid - 1) : grid.pixel(mid - 1, p)) == kBlack;
    };
    const std::int32_t length = std::max(span(1).second, 0);
    std::vector<bool> offsets(static_cast<std::size_t>(length), true);
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::int32_t from = span(i).first;
        for (std::int32_t o = 0; o < length; ++o)
            if (cover[static_cast<std::size_t>(from + o)] != 1 || onLine(from + o))
                offsets[static_cast<std::size_t>(o)] = false;
    }
    return offsets;
}

// The central invariant: the image in each place is the piece its cell names.
void expectImagesMatchBoard(const Bench& bench, const Surface& solved)
{
    const PlaceGeometry g = bench.game.geometry();
    const auto cleanX = cleanOffsets(bench, true);
    const auto cleanY = cleanOffsets(bench, false);
    std::int64_t compared = 0;
    for (std::int32_t r = 1; r <= g.PiecesY; ++r) {
        for (std::int32_t c = 1; c <= g.PiecesX; ++c) {
            const std::int32_t piece = bench.state.Board(r, c) - 1;
            const PixelRect at = g.windowRect(c, r);
            const PixelRect home = g.windowRect(piece % g.PiecesX + 1, piece / g.PiecesX + 1);
            for (std::int32_t y = 0; y < at.h; ++y) {
                for (std::int32_t x = 0; x < at.w; ++x) {
                    if (!cleanX[static_cast<std::size_t>(x)] || !cleanY[static_cast<std::size_t>(y)])
                        continue;
                    ++compared;
                    ASSERT_EQ(bench.window.pixel(at.x + x, at.y + y), solved.pixel(home.x + x, home.y + y))
                        << "place " << c << "," << r << " piece " << piece + 1;
                }
            }
        }
    }
    // Most of the picture is checked, not just a few stray pixels.
    EXPECT_GT(compared, bench.scratch.width() * bench.scratch.height() / 4);
}

TEST(Moves, ImagesFollowTheBoardThroughThousandsOfMovesInBothStyles)
{
    const struct {
        std::int16_t columns, rows;
        std::int32_t width, height;
    } cases[] = {{4, 4, 200, 160}, {7, 5, 333, 211}, {3, 2, 1000, 37}, {75, 75, 600, 450}, {1, 5, 40, 90}};
    for (const auto& k : cases) {
        for (const bool difficult : {false, true}) {
            Bench bench(k.columns, k.rows, k.width, k.height);
            const Surface solved = bench.window;
            RandomSource random(7);
            if (difficult)
                bench.game.BlackenEmptyPlace();
            const Surface start = bench.window;
            bench.game.ShufflePieces(random, difficult);
            const std::int32_t empty = k.columns * k.rows;
            for (int move = 0; move < 3000; ++move) {
                const std::int32_t fromX = random.draw(k.columns), fromY = random.draw(k.rows);
                const std::int32_t toX = random.draw(k.columns), toY = random.draw(k.rows);
                if (!difficult)
                    bench.game.movePiece(fromX, fromY, toX, toY);
                else if (canMoveToEmpty(bench.state.Board, fromX, fromY, toX, toY))
                    bench.game.movePiece(fromX, fromY, toX, toY);
                else if (bench.state.Board(toY, toX) == empty && toX > 1)
                    bench.game.movePiece(toX - 1, toY, toX, toY);  // keep the empty place moving
            }
            SCOPED_TRACE(testing::Message() << k.columns << "x" << k.rows << (difficult ? " difficult" : " normal"));
            expectImagesMatchBoard(bench, difficult ? start : solved);
        }
    }
}

}  // namespace
}  // namespace tessaron
