#include "core/board/puzzle.h"
#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "support/board_oracle.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace tessaron {

namespace {

using test::makePuzzle;
using test::sameSurface;

// Every grid line is where it belongs: drawing the whole grid again changes nothing.
bool gridIsWhole(const Puzzle& puzzle)
{
    Surface redrawn = puzzle.boardSurface();
    drawGrid(redrawn, puzzle.geometry());
    return sameSurface(redrawn, puzzle.boardSurface());
}

// A shuffle never hands over a finished board where another arrangement exists; a
// Difficult one can always be solved by slides, and in a single line (where slides are
// the only mixing) the empty place may end in any place but its own.
TEST(Shuffle, NeverSolvedAndDifficultAlwaysSolvableBySlides)
{
    const struct { std::int16_t columns, rows; bool difficult; int seeds; } grids[] = {
        {1, 2, true, 60}, {1, 3, true, 60}, {1, 4, true, 80}, {6, 1, true, 150}, {2, 2, true, 200}, {4, 4, true, 60},
        {3, 7, true, 30}, {75, 75, true, 3}, {2, 1, false, 60}, {1, 2, false, 60}, {2, 2, false, 60}};
    for (const auto& g : grids) {
        SCOPED_TRACE(testing::Message() << g.columns << "x" << g.rows << (g.difficult ? " difficult" : " normal"));
        const std::int32_t pieces = g.columns * g.rows;
        std::vector<bool> emptyAt(static_cast<std::size_t>(pieces + 1), false);
        for (int seed = 0; seed < g.seeds; ++seed) {
            Puzzle puzzle = makePuzzle(g.columns, g.rows, 150, 150,
                g.difficult ? PuzzleStyle::Difficult : PuzzleStyle::Normal);
            RandomSource random(static_cast<std::uint64_t>(seed));
            puzzle.shuffle(random);
            const BoardArray& board = puzzle.board();
            const auto solved = piecesInReadingOrder(solvedBoard(g.columns, g.rows));
            ASSERT_TRUE(std::ranges::is_permutation(piecesInReadingOrder(board), solved));
            ASSERT_FALSE(puzzle.isSolved()) << "seed " << seed;
            if (!g.difficult)
                continue;
            ASSERT_TRUE(isSolvableBySlides(board)) << "seed " << seed;
            const Place empty = puzzle.emptyPlace();
            ASSERT_EQ(board[empty], pieces) << "seed " << seed;
            emptyAt[static_cast<std::size_t>((empty.row - 1) * g.columns + empty.column)] = true;
        }
        if (g.difficult && (g.columns == 1 || g.rows == 1)) {
            for (std::int32_t place = 1; place < pieces; ++place)
                EXPECT_TRUE(emptyAt[static_cast<std::size_t>(place)]) << "the empty place never ends at " << place;
        }
    }
}

// The deals a player gets are even: a line's empty place lands on each other place as
// often, and a 2 x 2 board that came out solved becomes either arrangement one slide
// away, so no arrangement comes up more than its share and the ones beside solved.
TEST(Shuffle, DealsLinesAndSmallBoardsEvenly)
{
    const struct { std::int16_t columns, rows; int deals; double most; } grids[] = {{1, 6, 3000, 0.24}, {6, 1, 3000, 0.24}, {2, 2, 4000, 0.145}};
    for (const auto& g : grids) {
        std::map<std::vector<std::int16_t>, int> seen;
        for (int seed = 0; seed < g.deals; ++seed) {
            Puzzle puzzle = makePuzzle(g.columns, g.rows, 8, 8, PuzzleStyle::Difficult);
            RandomSource random(static_cast<std::uint64_t>(seed));
            puzzle.shuffle(random);
            ++seen[piecesInReadingOrder(puzzle.board())];
        }
        const std::size_t arrangements = g.rows == 2 ? 11 : 5;
        EXPECT_EQ(seen.size(), arrangements) << g.columns << "x" << g.rows;
        for (const auto& [pieces, count] : seen) {
            EXPECT_GT(count, g.deals / static_cast<int>(arrangements) * 3 / 4) << g.columns << "x" << g.rows;
            EXPECT_LT(count, g.deals * g.most) << g.columns << "x" << g.rows;
        }
    }
}

// Random moves, most of them refused in the Difficult style and some off the board: the
// images follow the board whatever the caller asks, and the grid stays whole, after the
// shuffle and after every kind of move.
TEST(Moves, ImagesFollowTheBoardAndTheGridStaysWholeThroughThousandsOfMovesInBothStyles)
{
    const struct { std::int16_t columns, rows; std::int32_t width, height; } cases[] = {
        {4, 4, 200, 160}, {7, 5, 333, 211}, {12, 9, 500, 377}, {3, 2, 1000, 37}, {75, 75, 600, 450}, {1, 5, 40, 90}};
    for (const auto& k : cases) {
        for (const auto style : {PuzzleStyle::Normal, PuzzleStyle::Difficult}) {
            SCOPED_TRACE(testing::Message() << k.columns << "x" << k.rows << (style == PuzzleStyle::Difficult ? " difficult" : " normal"));
            Puzzle puzzle = makePuzzle(k.columns, k.rows, k.width, k.height, style);
            const Surface start = puzzle.boardSurface();  // solved, its empty place blackened
            if (style == PuzzleStyle::Difficult) {
                const PixelRect empty = puzzle.geometry().emptyPlaceFill();
                EXPECT_EQ(start.pixel(empty.x + empty.w / 2, empty.y + empty.h / 2), kBlack);
            }
            RandomSource random(7);
            puzzle.shuffle(random);
            EXPECT_TRUE(gridIsWhole(puzzle)) << "after the shuffle";
            int moved = 0;
            for (int move = 0; move < 3000; ++move) {
                const auto place = [&](std::int16_t n) { return static_cast<std::int16_t>(random.draw(n + 2) - 1); };
                Move next{{place(k.columns), place(k.rows)}, {place(k.columns), place(k.rows)}};
                if (style == PuzzleStyle::Difficult && random.draw(5) > 1) {
                    // Mostly towards the empty place, from a neighbour or from off the board.
                    next.to = puzzle.emptyPlace();
                    const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                    const auto* d = step[random.draw(4) - 1];
                    next.from = {static_cast<std::int16_t>(next.to.column + d[0]), static_cast<std::int16_t>(next.to.row + d[1])};
                }
                const BoardArray before = puzzle.board();
                const MoveResult result = puzzle.play(next);
                moved += result != MoveResult::Refused;
                ASSERT_TRUE(result != MoveResult::Refused || puzzle.board() == before);
            }
            EXPECT_GT(moved, 20);
            const PixelRect area = puzzle.geometry().pictureArea();
            EXPECT_EQ(wrongPiecePixels(puzzle, [&](int x, int y) { return start.pixel(area.x + x, area.y + y); }), 0);
            EXPECT_TRUE(gridIsWhole(puzzle)) << "after the moves";
            if (style == PuzzleStyle::Difficult) {
                EXPECT_EQ(puzzle.board()[puzzle.emptyPlace()], k.columns * k.rows);
            }
        }
    }
}

}  // namespace
}  // namespace tessaron
