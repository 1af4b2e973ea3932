#include "core/board/board_input.h"
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

std::optional<BoardNews> news(const KeyIntent& k) { return k.report ? std::optional(k.report->news) : std::nullopt; }

// The way each arrow points.
const struct { Key key; std::int16_t dc, dr; } kArrows[] = {{Key::Left, -1, 0}, {Key::Right, 1, 0}, {Key::Up, 0, -1}, {Key::Down, 0, 1}};

// Normal: the cursor shows on the first key, stops at every edge, picks and drops, and
// asks for exactly the move a press and a release would. It never touches the board.
TEST(Keys, NormalCursorStopsAtEveryEdgePicksDropsAndExchangesAsTheMouseDoes)
{
    for (const auto& [columns, rows] : {std::pair<std::int16_t, std::int16_t>{1, 1}, {3, 2}, {1, 3}}) {
        SCOPED_TRACE(testing::Message() << columns << "x" << rows);
        Puzzle puzzle = makePuzzle(columns, rows, 90, 60);
        BoardInput input;
        EXPECT_FALSE(input.key(Key::Drop, puzzle).report || input.cursor().shown);  // nothing to drop, nothing shown
        EXPECT_EQ(news(input.key(Key::Down, puzzle)), BoardNews::Cursor);
        EXPECT_TRUE(input.cursor().shown && input.cursor().place == (Place{1, 1}));  // the first key only shows it
        const auto goTo = [&](Place p) {
            for (int i = 0; i < columns + rows; ++i) {
                input.key(Key::Left, puzzle);
                input.key(Key::Up, puzzle);
            }
            for (int i = 1; i < p.column; ++i)
                input.key(Key::Right, puzzle);
            for (int i = 1; i < p.row; ++i)
                input.key(Key::Down, puzzle);
            ASSERT_EQ(input.cursor().place, p);
        };
        for (std::int16_t r = 1; r <= rows; ++r) {
            for (std::int16_t c = 1; c <= columns; ++c) {
                for (const auto& arrow : kArrows) {
                    goTo({c, r});
                    const KeyIntent intent = input.key(arrow.key, puzzle);
                    const Place expected{std::clamp<std::int16_t>(static_cast<std::int16_t>(c + arrow.dc), 1, columns),
                        std::clamp<std::int16_t>(static_cast<std::int16_t>(r + arrow.dr), 1, rows)};
                    EXPECT_EQ(input.cursor().place, expected) << "from " << c << "," << r;
                    EXPECT_EQ(intent.report.has_value(), expected != (Place{c, r}));
                    EXPECT_FALSE(intent.move);
                }
            }
        }
        // Pick, then Pick on the same place or Drop: the piece is put back, nothing moves.
        const Place last{columns, rows};
        goTo(last);
        for (const Key putBack : {Key::Pick, Key::Drop}) {
            EXPECT_EQ(news(input.key(Key::Pick, puzzle)), BoardNews::Picked);
            EXPECT_EQ(input.marked(), last);
            const KeyIntent back = input.key(putBack, puzzle);
            EXPECT_FALSE(back.move || input.marked());
            EXPECT_EQ(news(back), BoardNews::Cursor);
        }
        if (columns * rows > 1) {
            // The first piece onto the last place, as a press and a release would put it.
            goTo({1, 1});
            input.key(Key::Pick, puzzle);
            goTo(last);
            const KeyIntent exchanged = input.key(Key::Pick, puzzle);
            EXPECT_EQ(exchanged.move, (Move{{1, 1}, last}));
            EXPECT_EQ(news(exchanged), BoardNews::Exchanged);
            EXPECT_EQ(exchanged.report->other, (Place{1, 1}));
            EXPECT_FALSE(input.marked());
        }
        // A press hides the cursor, keeping its place; Escape takes the mark away even
        // with the cursor hidden.
        input.key(Key::Pick, puzzle);
        input.press(std::nullopt);
        EXPECT_FALSE(input.cursor().shown);
        EXPECT_EQ(input.cursor().place, last);
        EXPECT_TRUE(input.marked());
        input.key(Key::Drop, puzzle);
        EXPECT_FALSE(input.marked());
        EXPECT_FALSE(input.cursor().shown);
    }
}

// Difficult: wherever the empty place is, an arrow slides the piece on the far side of it
// into it, as the mouse would; with no piece there, or any other key, nothing changes.
TEST(Keys, DifficultArrowsSlideTheEmptyPlacesNeighbourOrNothing)
{
    Puzzle puzzle = makePuzzle(3, 3, 90, 90, PuzzleStyle::Difficult);
    // The empty place walks through every place, the mouse sliding its neighbours in.
    const Place walk[] = {{3, 3}, {2, 3}, {1, 3}, {1, 2}, {2, 2}, {3, 2}, {3, 1}, {2, 1}, {1, 1}};
    for (const Place next : walk) {
        if (next != puzzle.emptyPlace()) {
            ASSERT_EQ(puzzle.play({next, puzzle.emptyPlace()}), MoveResult::Moved);
        }
        const Place hole = puzzle.emptyPlace();
        ASSERT_EQ(hole, next);
        for (const auto& arrow : kArrows) {
            SCOPED_TRACE(testing::Message() << "empty at " << hole.column << "," << hole.row << " key " << static_cast<int>(arrow.key));
            const KeyIntent intent = BoardInput().key(arrow.key, puzzle);
            const Place from{static_cast<std::int16_t>(hole.column - arrow.dc), static_cast<std::int16_t>(hole.row - arrow.dr)};
            const bool onBoard = from.column >= 1 && from.column <= 3 && from.row >= 1 && from.row <= 3;
            EXPECT_EQ(intent.move, onBoard ? std::optional(Move{from, hole}) : std::nullopt);
            EXPECT_EQ(news(intent), onBoard ? std::optional(BoardNews::Slid) : std::nullopt);
            EXPECT_TRUE(!onBoard || intent.report->at == hole);
        }
        for (const Key other : {Key::Pick, Key::Drop})
            EXPECT_FALSE(BoardInput().key(other, puzzle).report);  // no cursor, no move
    }
}

}  // namespace
}  // namespace tessaron
