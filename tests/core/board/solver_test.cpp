#include "core/board/solver.h"

#include "core/board/rules.h"
#include "support/board_search.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace tessaron {

namespace {

// A board as the game hands it over, shuffled by the puzzle itself.
BoardArray shuffled(std::int16_t columns, std::int16_t rows, PuzzleStyle style, std::uint64_t seed)
{
    Puzzle puzzle = test::makePuzzle(columns, rows, 2 * columns, 2 * rows, style);
    RandomSource random(seed);
    puzzle.shuffle(random);
    return puzzle.board();
}

// Plays slides one by one as the slide rule allows them; false at the first it refuses.
bool playSlides(BoardArray& board, const std::vector<Move>& moves)
{
    Place empty = findLastPiece(board);
    for (const Move& move : moves) {
        if (!canMoveToEmpty(empty, move))
            return false;
        board.exchange(move.from, move.to);
        empty = move.from;
    }
    return true;
}

// Every arrangement exchanges reach on small grids, and slides on every grid of at most
// 9 places and on short lines: the searched count, a hint that brings it one move nearer
// (an exchange sends a piece home), and now and then a solution of exactly that length;
// the same arrangement with two pieces exchanged, which slides cannot solve, has no
// count, no hint and no solution.
TEST(Solver, FewestHintsAndSolutionsAgreeWithAnExhaustiveSearch)
{
    const struct { bool slides; std::int16_t columns, rows; } grids[] = {
        {false, 1, 1}, {false, 2, 1}, {false, 1, 3}, {false, 2, 2}, {false, 3, 2}, {false, 2, 3}, {true, 1, 1},
        {true, 1, 2}, {true, 2, 1}, {true, 1, 5}, {true, 5, 1}, {true, 2, 2}, {true, 3, 2}, {true, 2, 3},
        {true, 4, 2}, {true, 2, 4}, {true, 3, 3}};
    for (const auto& [slides, columns, rows] : grids) {
        SCOPED_TRACE(testing::Message() << columns << "x" << rows << (slides ? " slides" : " exchanges"));
        const auto searched = fewestMovesBySearch(columns, rows, slides);
        std::int32_t count = 0;
        for (const auto& [cells, fewest] : searched) {
            const BoardArray board = boardFrom(columns, rows, cells);
            ASSERT_EQ(par(board, slides), fewest);
            const std::optional<Move> hint = slides ? slideHint(board) : exchangeHint(board);
            ASSERT_EQ(hint.has_value(), fewest > 0);
            if (hint) {
                BoardArray next = board;
                next.exchange(hint->from, hint->to);
                ASSERT_TRUE(slides ? canMoveToEmpty(findLastPiece(board), *hint)
                                   : next[hint->to] == (hint->to.row - 1) * columns + hint->to.column);
                ASSERT_EQ(searched.at(piecesInReadingOrder(next)), fewest - 1);
            }
            if (!slides || ++count % 29 != 0)
                continue;
            const std::vector<Move> solution = solveBySlides(board);
            ASSERT_EQ(static_cast<std::int32_t>(solution.size()), fewest);
            BoardArray played = board;
            ASSERT_TRUE(playSlides(played, solution));
            ASSERT_TRUE(isSolved(played));
            auto odd = cells;
            const auto notEmpty = [&](std::int16_t piece) { return piece != columns * rows; };
            const auto first = std::find_if(odd.begin(), odd.end(), notEmpty);
            const auto second = std::find_if(first + 1, odd.end(), notEmpty);
            if (second == odd.end())
                continue;
            std::iter_swap(first, second);
            const BoardArray unsolvable = boardFrom(columns, rows, odd);
            ASSERT_FALSE(fewestSlides(unsolvable));
            ASSERT_FALSE(slideHint(unsolvable));
            ASSERT_TRUE(solveBySlides(unsolvable).empty());
        }
    }
}

// The game's own shuffles of every kind of grid (single lines, two rows or two columns,
// small and large, odd and even) and a large board mixed by slides, as a real sliding
// puzzle is: each solution is legal and solves, a line's is the shortest, and a hint is
// the solution's next slide wherever along it it is asked.
TEST(Slides, SolutionsAreLegalAndHintsFollowThemOnEveryKindOfGrid)
{
    const auto follow = [](BoardArray board) {
        const std::vector<Move> solution = solveBySlides(board);
        if (board.columns() == 1 || board.rows() == 1) {
            ASSERT_EQ(static_cast<std::int32_t>(solution.size()), fewestSlides(board));
        }
        // A hint reads the whole board: on the longest solutions, a hundred along the way.
        const std::size_t every = std::max<std::size_t>(1, solution.size() / 100);
        for (std::size_t i = 0; i < solution.size(); i += every) {
            ASSERT_EQ(slideHint(board), solution[i]) << "slide " << i;
            const auto end = solution.begin() + static_cast<std::ptrdiff_t>(std::min(i + every, solution.size()));
            ASSERT_TRUE(playSlides(board, {solution.begin() + static_cast<std::ptrdiff_t>(i), end})) << "slide " << i;
        }
        EXPECT_FALSE(slideHint(board));
        EXPECT_TRUE(isSolved(board));
    };
    const struct { std::int16_t columns, rows; int seeds; } grids[] = {
        {1, 2, 3}, {2, 1, 3}, {1, 9, 5}, {1, 75, 5}, {75, 1, 5}, {2, 2, 5}, {3, 3, 5}, {2, 5, 40}, {5, 2, 40},
        {3, 4, 40}, {4, 3, 40}, {4, 4, 30}, {5, 5, 20}, {6, 6, 20}, {6, 7, 20}, {7, 6, 20}, {9, 5, 10}, {5, 9, 10},
        {2, 25, 10}, {25, 2, 10}, {2, 40, 8}, {40, 2, 8}, {3, 30, 8}, {30, 3, 8}, {12, 12, 3}, {16, 16, 4}, {75, 75, 1}};
    for (const auto& g : grids)
        for (int seed = 0; seed < g.seeds; ++seed) {
            SCOPED_TRACE(testing::Message() << g.columns << "x" << g.rows << " seed " << seed);
            follow(shuffled(g.columns, g.rows, PuzzleStyle::Difficult, static_cast<std::uint64_t>(seed)));
        }
    // Mixed by 1,000 slides towards a random side, those off the board refused.
    Puzzle puzzle = test::makePuzzle(75, 75, 150, 150, PuzzleStyle::Difficult);
    RandomSource random(9);
    for (int slide = 0; slide < 1000; ++slide) {
        const Place empty = puzzle.emptyPlace();
        const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        const auto* d = step[random.draw(4) - 1];
        puzzle.play({{static_cast<std::int16_t>(empty.column + d[0]), static_cast<std::int16_t>(empty.row + d[1])}, empty});
    }
    SCOPED_TRACE("75x75 mixed by slides");
    follow(puzzle.board());
}

TEST(Par, KnownForEveryNormalBoardAndForSmallOrSingleLineDifficultOnes)
{
    std::vector<std::int16_t> line(75);
    std::iota(line.begin(), line.end(), std::int16_t{1});
    std::rotate(line.begin(), line.end() - 1, line.end());  // the empty place first
    const struct { BoardArray board; bool difficult; std::optional<std::int32_t> par; } cases[] = {
        {solvedBoard(75, 75), false, 0},
        {boardFrom(75, 1, line), true, 74},
        {boardFrom(1, 75, line), true, 74},
        {boardFrom(75, 1, line), false, 74},  // one cycle through every place
        {boardFrom(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 11}), true, std::nullopt},  // ten places and more
        {shuffled(4, 4, PuzzleStyle::Difficult, 1), true, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(par(c.board, c.difficult), c.par) << c.board.columns() << "x" << c.board.rows();
    // Slides cannot solve it: no hint and no solution, at any size.
    BoardArray odd = shuffled(20, 20, PuzzleStyle::Difficult, 1);
    const bool emptyInRowOne = odd(1, 1) == 400 || odd(2, 1) == 400;
    const std::int16_t row = emptyInRowOne ? 2 : 1;
    odd.exchange({1, row}, {2, row});
    EXPECT_FALSE(slideHint(odd));
    EXPECT_TRUE(solveBySlides(odd).empty());
}

}  // namespace
}  // namespace tessaron
