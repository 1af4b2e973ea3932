#include "core/board/solver.h"

#include "core/board/board_text.h"
#include "core/board/rules.h"
#include "core/board/slide_search.h"
#include "support/board_search.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <string>

#include <unistd.h>

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
            ASSERT_EQ(par(board, slides ? PuzzleStyle::Difficult : PuzzleStyle::Normal), fewest);
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

TEST(Par, KnownForEveryNormalBoardAndForDifficultOnesUpTo16PlacesOrOnALine)
{
    std::vector<std::int16_t> line(75);
    std::iota(line.begin(), line.end(), std::int16_t{1});
    std::rotate(line.begin(), line.end() - 1, line.end());  // the empty place first
    const struct { BoardArray board; bool difficult; std::optional<std::int32_t> par; } cases[] = {
        {solvedBoard(75, 75), false, 0},
        {boardFrom(75, 1, line), true, 74},
        {boardFrom(1, 75, line), true, 74},
        {boardFrom(75, 1, line), false, 74},  // one cycle through every place
        {boardFrom(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 11}), true, 1},
        {boardFrom(5, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 19}), true, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(par(c.board, c.difficult ? PuzzleStyle::Difficult : PuzzleStyle::Normal), c.par) << c.board.columns() << "x" << c.board.rows();
    // Slides cannot solve it: no hint and no solution, at any size.
    BoardArray odd = shuffled(20, 20, PuzzleStyle::Difficult, 1);
    const bool emptyInRowOne = odd(1, 1) == 400 || odd(2, 1) == 400;
    const std::int16_t row = emptyInRowOne ? 2 : 1;
    odd.exchange({1, row}, {2, row});
    EXPECT_FALSE(slideHint(odd));
    EXPECT_TRUE(solveBySlides(odd).empty());
}

// A board walked away from solved by random slides, never straight back.
BoardArray walked(std::int16_t columns, std::int16_t rows, int slides, RandomSource& random)
{
    BoardArray board = solvedBoard(columns, rows);
    Place empty{columns, rows}, last{};
    for (int i = 0; i < slides;) {
        const Place steps[] = {{empty.column, static_cast<std::int16_t>(empty.row - 1)}, {static_cast<std::int16_t>(empty.column - 1), empty.row},
            {static_cast<std::int16_t>(empty.column + 1), empty.row}, {empty.column, static_cast<std::int16_t>(empty.row + 1)}};
        const Place from = steps[random.draw(4) - 1];
        if (from.column < 1 || from.column > columns || from.row < 1 || from.row > rows || from == last)
            continue;
        board.exchange(from, empty);
        last = empty;
        empty = from;
        ++i;
    }
    return board;
}

// The count against a plain search, and a shortest solution that is legal, solves, and
// starts with a slide that brings the count one nearer: the shortest hint.
void expectShortest(const BoardArray& board)
{
    SCOPED_TRACE(boardText(board));
    const std::int32_t fewest = fewestSlidesByManhattan(board.columns(), piecesInReadingOrder(board));
    const std::optional<std::vector<Move>> solution = shortestSlides(board);
    ASSERT_TRUE(solution);
    ASSERT_EQ(static_cast<std::int32_t>(solution->size()), fewest);
    BoardArray played = board;
    ASSERT_TRUE(playSlides(played, *solution));
    EXPECT_TRUE(isSolved(played));
    if (fewest == 0)
        return;
    BoardArray next = board;
    next.exchange(solution->front().from, solution->front().to);
    EXPECT_EQ(fewestSlides(next), fewest - 1);
}

// Shapes of 10 to 12 places, both ways round, whose tables build in a moment: the search
// and its tables are the same code on every shape up to 16 places (the 15-puzzle, read
// across its diagonal too, follows).
TEST(ShortestSlides, AgreeWithAPlainSearchOnBoardsOfTenToTwelvePlaces)
{
    RandomSource random(26);
    const struct { std::int16_t columns, rows; } shapes[] = {{2, 5}, {5, 2}, {3, 4}, {4, 3}, {6, 2}};
    for (const auto& [columns, rows] : shapes)
        for (const int slides : {0, 1, 14, 26, 30})
            expectShortest(walked(columns, rows, slides, random));
    EXPECT_FALSE(shortestSlides(boardFrom(2, 5, {2, 1, 3, 4, 5, 6, 7, 8, 9, 10})));  // slides cannot solve it
    EXPECT_FALSE(shortestSlides(solvedBoard(5, 4)));                                  // past 16 places
}

// The tables of 14 to 16 places take seconds to build, minutes under the sanitizers:
// those runs leave these boards to the Release one.
bool quickBuild()
{
#ifdef TESSARON_SANITIZED_TESTS
    return false;
#else
    return true;
#endif
}

// The first of Korf's 100 instances (1985), the empty place at the top left, needs 57
// moves; turned half a turn, it is a board of this game with the same count. Boards
// walked from solved agree with a plain search. A stop asked for before the search
// begins ends it with nothing.
TEST(ShortestSlides, SolvesThe15PuzzleInTheFewestMoves)
{
    if (!quickBuild())
        GTEST_SKIP() << "the 4 x 4 tables take too long to build here";
    const int korf[16] = {14, 13, 15, 7, 11, 12, 9, 5, 6, 0, 2, 1, 4, 8, 10, 3};
    std::string text = "4x4:";
    for (int place = 0; place < 16; ++place)
        text += (place ? " " : "") + std::to_string(korf[15 - place] == 0 ? 0 : 16 - korf[15 - place]);
    const BoardArray board = boardFromText(text).value();
    EXPECT_EQ(fewestSlides(board), 57);
    RandomSource random(15);
    for (const int slides : {1, 24, 30})
        expectShortest(walked(4, 4, slides, random));
    // Two places wide and long, where the pieces are split two ways.
    expectShortest(walked(7, 2, 30, random));
    const std::atomic<bool> stop = true;
    EXPECT_FALSE(shortestSlides(board, &stop));
}

// A kept table file that is damaged, cut short, grown or of another version is never
// trusted: the tables are built again and a good file put in its place. A good one is
// read, not written again.
TEST(SlideTables, DamagedOrStaleKeptFilesAreBuiltAgain)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tessaron-tables-" + std::to_string(::getpid()));
    const std::string before = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // A 3 x 2 board: its tables build in a moment, and its count is known apart from them.
    RandomSource random(5);
    const BoardArray board = walked(3, 2, 20, random);
    const std::int32_t fewest = fewestSlides(board).value();
    const auto searched = [&] { return static_cast<std::int32_t>(shortestSlideSteps(piecesInReadingOrder(board), 3, 2)->size()); };
    forgetSlideTables();
    ASSERT_EQ(searched(), fewest);
    const std::filesystem::path file = slideTableFolder() / "slides-3x2.tables";
    const std::string good = read(file);
    ASSERT_GT(good.size(), 524288u);  // 16^5 half-bytes for its one group
    const std::function<void(std::string&)> damages[] = {
        [](std::string& s) { s[s.size() / 2] ^= 0x04; },  // a table's byte
        [](std::string& s) { s[8] ^= 0x01; },              // the version
        [](std::string& s) { s[16] ^= 0x01; },             // the number of groups
        [](std::string& s) { s.resize(s.size() - 1); },
        [](std::string& s) { s += '\0'; },
    };
    for (const auto& damage : damages) {
        std::string bad = good;
        damage(bad);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bad;
        forgetSlideTables();
        EXPECT_EQ(searched(), fewest);
        EXPECT_TRUE(read(file) == good);
    }
    const auto written = std::filesystem::last_write_time(file);
    forgetSlideTables();
    prepareSlideTables(3, 2);
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
    forgetSlideTables();
    std::filesystem::remove_all(folder);
    before.empty() ? unsetenv("XDG_CACHE_HOME") : setenv("XDG_CACHE_HOME", before.c_str(), 1);
}

}  // namespace
}  // namespace tessaron
