#include "core/board/puzzle.h"
#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "core/board/session.h"
#include "core/platform/runtime_error.h"
#include "support/board_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tessaron {

void PrintTo(const Place& place, std::ostream* out) { *out << place.column << "," << place.row; }

namespace {

// A picture of distinct pixels, laid out with its margins at a corner that is not a whole
// number of pixels.
PuzzlePlan planFor(std::int16_t columns, std::int16_t rows, std::int32_t width, std::int32_t height,
    PuzzleStyle style = PuzzleStyle::Normal)
{
    PuzzlePlan plan;
    plan.columns = columns;
    plan.rows = rows;
    plan.style = style;
    plan.layout.BoardLeft = 322;
    plan.layout.BoardTop = 233;
    plan.layout.picLeft = 322;
    plan.layout.picTop = 233;
    plan.layout.picWidth = static_cast<float>(width) * 15;
    plan.layout.picHeight = static_cast<float>(height) * 15;
    plan.boardWidth = width + 50;
    plan.boardHeight = height + 50;
    return plan;
}

Puzzle makePuzzle(std::int16_t columns, std::int16_t rows, std::int32_t width, std::int32_t height,
    PuzzleStyle style = PuzzleStyle::Normal)
{
    Surface picture(width + 1, height + 1);
    for (std::int32_t y = 0; y < picture.height(); ++y)
        for (std::int32_t x = 0; x < picture.width(); ++x)
            picture.row(y)[x] = 0xFF000000u | (static_cast<Pixel>(y) << 12) | static_cast<Pixel>(x + 1);
    return Puzzle::build(std::move(picture), planFor(columns, rows, width, height, style));
}

bool isPermutation(const BoardArray& board)
{
    std::vector<std::int16_t> all;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            all.push_back(board(r, c));
    std::sort(all.begin(), all.end());
    return std::adjacent_find(all.begin(), all.end()) == all.end() && all.front() == 1
        && all.back() == static_cast<std::int16_t>(all.size());
}

bool sameSurface(const Surface& a, const Surface& b)
{
    return a.width() == b.width() && a.height() == b.height()
        && std::equal(a.data(), a.data() + a.width() * a.height(), b.data());
}

// A shuffle never hands over a finished board where another arrangement exists; a
// Difficult one can always be solved by slides, and in a single line (where slides are
// the only mixing) the empty place may end in any place but its own.
TEST(Shuffle, NeverSolvedAndDifficultAlwaysSolvableBySlides)
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
            Puzzle puzzle = makePuzzle(g.columns, g.rows, 150, 150,
                g.difficult ? PuzzleStyle::Difficult : PuzzleStyle::Normal);
            RandomSource random(static_cast<std::uint64_t>(seed));
            puzzle.shuffle(random);
            const BoardArray& board = puzzle.board();
            ASSERT_TRUE(isPermutation(board));
            ASSERT_FALSE(puzzle.isSolved()) << "seed " << seed;
            if (!g.difficult)
                continue;
            ASSERT_TRUE(isSolvableBySlides(board)) << "seed " << seed;
            for (std::int32_t r = 1; r <= g.rows; ++r)
                for (std::int32_t c = 1; c <= g.columns; ++c)
                    if (board(r, c) == pieces)
                        emptyAt[static_cast<std::size_t>((r - 1) * g.columns + c)] = true;
        }
        if (g.difficult && (g.columns == 1 || g.rows == 1)) {
            for (std::int32_t place = 1; place < pieces; ++place)
                EXPECT_TRUE(emptyAt[static_cast<std::size_t>(place)]) << "the empty place never ends at " << place;
        }
    }
}

// Random moves, most of them refused in the Difficult style and some off the board: the
// images follow the board whatever the caller asks.
TEST(Moves, ImagesFollowTheBoardThroughThousandsOfMovesInBothStyles)
{
    const struct {
        std::int16_t columns, rows;
        std::int32_t width, height;
    } cases[] = {{4, 4, 200, 160}, {7, 5, 333, 211}, {3, 2, 1000, 37}, {75, 75, 600, 450}, {1, 5, 40, 90}};
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
            int moved = 0;
            for (int move = 0; move < 3000; ++move) {
                const auto place = [&](std::int16_t n) { return static_cast<std::int16_t>(random.draw(n + 2) - 1); };
                Place from{place(k.columns), place(k.rows)}, to{place(k.columns), place(k.rows)};
                if (style == PuzzleStyle::Difficult && random.draw(5) > 1) {
                    // Mostly towards the empty place, from a neighbour or from off the board.
                    for (std::int16_t r = 1; r <= k.rows; ++r)
                        for (std::int16_t c = 1; c <= k.columns; ++c)
                            if (puzzle.board()(r, c) == k.columns * k.rows)
                                to = {c, r};
                    const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                    const auto* d = step[random.draw(4) - 1];
                    from = {static_cast<std::int16_t>(to.column + d[0]), static_cast<std::int16_t>(to.row + d[1])};
                }
                moved += puzzle.move(from, to) != MoveResult::Refused;
            }
            EXPECT_GT(moved, 20);
            const PixelRect area = puzzle.geometry().pictureArea();
            EXPECT_EQ(wrongPiecePixels(puzzle, [&](int x, int y) { return start.pixel(area.x + x, area.y + y); }), 0);
        }
    }
}

const struct {
    Key key;
    std::int16_t dc, dr;  // the way the key points
} kArrows[] = {{Key::Left, -1, 0}, {Key::Right, 1, 0}, {Key::Up, 0, -1}, {Key::Down, 0, 1}};

// Normal: the cursor shows on the first key, stops at every edge, picks and drops, and
// exchanges exactly as a press and a release would. It never touches the board surface.
TEST(Keys, NormalCursorStopsAtEveryEdgePicksDropsAndExchangesAsTheMouseDoes)
{
    for (const auto& [columns, rows] : {std::pair<std::int16_t, std::int16_t>{1, 1}, {3, 2}, {1, 3}}) {
        SCOPED_TRACE(testing::Message() << columns << "x" << rows);
        Puzzle puzzle = makePuzzle(columns, rows, 90, 60);
        const Surface start = puzzle.boardSurface();
        puzzle.takeDamage();  // the drawing of the new puzzle
        EXPECT_FALSE(puzzle.keyPressed(Key::Drop).news);  // nothing to drop, nothing shown
        EXPECT_FALSE(puzzle.cursor().shown);
        const KeyOutcome shown = puzzle.keyPressed(Key::Down);
        EXPECT_TRUE(puzzle.cursor().shown);
        EXPECT_EQ(shown.news, BoardNews::Cursor);
        EXPECT_EQ(puzzle.cursor().place, (Place{1, 1}));  // the first key only shows it
        const auto goTo = [&](Place p) {
            for (int i = 0; i < columns + rows; ++i) {
                puzzle.keyPressed(Key::Left);
                puzzle.keyPressed(Key::Up);
            }
            for (int i = 1; i < p.column; ++i)
                puzzle.keyPressed(Key::Right);
            for (int i = 1; i < p.row; ++i)
                puzzle.keyPressed(Key::Down);
            ASSERT_EQ(puzzle.cursor().place, p);
        };
        for (std::int16_t r = 1; r <= rows; ++r) {
            for (std::int16_t c = 1; c <= columns; ++c) {
                for (const auto& arrow : kArrows) {
                    goTo({c, r});
                    const KeyOutcome outcome = puzzle.keyPressed(arrow.key);
                    const Place expected{std::clamp<std::int16_t>(static_cast<std::int16_t>(c + arrow.dc), 1, columns),
                        std::clamp<std::int16_t>(static_cast<std::int16_t>(r + arrow.dr), 1, rows)};
                    EXPECT_EQ(puzzle.cursor().place, expected) << "from " << c << "," << r;
                    EXPECT_EQ(outcome.news.has_value(), expected != (Place{c, r}));
                }
            }
        }
        // Pick, then Pick on the same place or Drop: the piece is put back, nothing moves.
        const Place last{columns, rows};
        goTo(last);
        for (const Key putBack : {Key::Pick, Key::Drop}) {
            EXPECT_EQ(puzzle.keyPressed(Key::Pick).news, BoardNews::Picked);
            EXPECT_EQ(puzzle.cursor().picked, last);
            const KeyOutcome back = puzzle.keyPressed(putBack);
            EXPECT_EQ(back.result, MoveResult::Refused);
            EXPECT_EQ(back.news, BoardNews::Cursor);
            EXPECT_FALSE(puzzle.cursor().picked);
        }
        EXPECT_TRUE(sameSurface(puzzle.boardSurface(), start));
        EXPECT_TRUE(puzzle.takeDamage().empty());
        if (columns * rows > 1) {
            // The last piece onto the first place, as the mouse would put it; then back.
            Puzzle mouse = puzzle;
            ASSERT_EQ(mouse.move(last, {1, 1}), MoveResult::Moved);
            puzzle.keyPressed(Key::Pick);
            goTo({1, 1});
            const KeyOutcome exchanged = puzzle.keyPressed(Key::Pick);
            EXPECT_EQ(exchanged.result, MoveResult::Moved);
            EXPECT_EQ(exchanged.news, BoardNews::Exchanged);
            EXPECT_EQ(exchanged.other, last);
            EXPECT_EQ(puzzle.board(), mouse.board());
            EXPECT_TRUE(sameSurface(puzzle.boardSurface(), mouse.boardSurface()));
            EXPECT_FALSE(puzzle.cursor().picked);
            puzzle.keyPressed(Key::Pick);
            goTo(last);
            EXPECT_EQ(puzzle.keyPressed(Key::Pick).result, MoveResult::Solved);
            EXPECT_TRUE(sameSurface(puzzle.boardSurface(), start));
        }
    }
}

// Difficult: wherever the empty place is, an arrow slides the piece on the far side of it
// into it, as the mouse would; with no piece there, or any other key, nothing changes.
TEST(Keys, DifficultArrowsSlideTheEmptyPlacesNeighbourOrNothing)
{
    Puzzle puzzle = makePuzzle(3, 3, 90, 90, PuzzleStyle::Difficult);
    // The empty place walks through every place, the mouse sliding its neighbours in.
    const Place walk[] = {{3, 3}, {2, 3}, {1, 3}, {1, 2}, {2, 2}, {3, 2}, {3, 1}, {2, 1}, {1, 1}};
    Place hole{3, 3};
    for (const Place next : walk) {
        if (next != hole) {
            ASSERT_EQ(puzzle.move(next, hole), MoveResult::Moved);
        }
        hole = next;
        for (const auto& arrow : kArrows) {
            SCOPED_TRACE(testing::Message() << "empty at " << hole.column << "," << hole.row << " key " << static_cast<int>(arrow.key));
            Puzzle keys = puzzle, mouse = puzzle;
            const KeyOutcome outcome = keys.keyPressed(arrow.key);
            const Place from{static_cast<std::int16_t>(hole.column - arrow.dc), static_cast<std::int16_t>(hole.row - arrow.dr)};
            const bool onBoard = from.column >= 1 && from.column <= 3 && from.row >= 1 && from.row <= 3;
            if (onBoard) {
                EXPECT_EQ(outcome.result, mouse.move(from, hole));
                EXPECT_EQ(outcome.news, BoardNews::Slid);
                EXPECT_EQ(outcome.at, hole);
            } else {
                EXPECT_EQ(outcome.result, MoveResult::Refused);
                EXPECT_FALSE(outcome.news);
            }
            EXPECT_EQ(keys.board(), mouse.board());
            EXPECT_TRUE(sameSurface(keys.boardSurface(), mouse.boardSurface()));
        }
        for (const Key other : {Key::Pick, Key::Drop})
            EXPECT_FALSE(Puzzle(puzzle).keyPressed(other).news);  // no cursor, no move
    }
    // The slide that finishes the puzzle brings the victory.
    Puzzle nearly = makePuzzle(3, 3, 90, 90, PuzzleStyle::Difficult);
    ASSERT_EQ(nearly.move({2, 3}, {3, 3}), MoveResult::Moved);
    EXPECT_EQ(nearly.keyPressed(Key::Left).result, MoveResult::Solved);
}

// A screen that writes down what the session asked of it.
struct LoggedScreen : BoardScreen {
    std::vector<std::string> log;
    void placeNewPuzzle(const Puzzle& puzzle) override
    {
        log.push_back("place " + std::to_string(puzzle.board().columns()));
    }
    void showChanges(const Damage& changed) override
    {
        if (!changed.empty() && log.back() != "show")
            log.push_back("show");
    }
    void settle() override { log.push_back("settle"); }
};

// A release after a press on a place moves by the style's rules; a release without a
// press on this board, or after a press off the picture, moves nothing; the victory
// comes with the release that leaves the board solved, even one that moves nothing.
TEST(Session, MovesByTheStylesRulesAndReportsTheVictory)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    const auto centre = [&](int c, int r) {
        const Layout& l = session.puzzle().layout();
        const auto& board = session.puzzle().board();
        return std::pair{l.picLeft + (static_cast<float>(c) - 0.5f) * l.picWidth / static_cast<float>(board.columns()),
            l.picTop + (static_cast<float>(r) - 0.5f) * l.picHeight / static_cast<float>(board.rows())};
    };
    const auto drag = [&](std::pair<float, float> from, std::pair<float, float> to) {
        session.pressAt(from.first, from.second);
        return session.releaseAt(to.first, to.second);
    };
    // A single piece has no other arrangement: it is handed over as it is, and won.
    session.start(makePuzzle(1, 1, 100, 80, PuzzleStyle::Difficult), 3);
    EXPECT_EQ(screen.log, (std::vector<std::string>{"place 1", "show", "settle"}));
    EXPECT_EQ(drag(centre(1, 1), centre(1, 1)), MoveResult::Solved);

    for (const auto style : {PuzzleStyle::Normal, PuzzleStyle::Difficult}) {
        session.start(makePuzzle(2, 2, 200, 200, style), 5);
        EXPECT_GE(session.puzzle().exchangeCount(), 20);  // five per place, and a repair
        const BoardArray before = session.puzzle().board();
        EXPECT_EQ(session.releaseAt(centre(1, 1).first, centre(1, 1).second), MoveResult::Refused);
        EXPECT_EQ(drag({10, 10}, centre(2, 2)), MoveResult::Refused);  // picked on the margin
        EXPECT_EQ(session.puzzle().board(), before);
        // The empty place, and the places diagonal to it and beside it.
        int ex = 1, ey = 1;
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                if (before(r, c) == 4)
                    ex = c, ey = r;
        const MoveResult diagonal = drag(centre(3 - ex, 3 - ey), centre(ex, ey));
        if (style == PuzzleStyle::Difficult) {
            EXPECT_EQ(diagonal, MoveResult::Refused);
            EXPECT_NE(drag(centre(3 - ex, ey), centre(ex, ey)), MoveResult::Refused);
            EXPECT_EQ(session.puzzle().board()(ey, ex), before(ey, 3 - ex));
        } else {
            EXPECT_NE(diagonal, MoveResult::Refused);
            EXPECT_EQ(session.puzzle().board()(ey, ex), before(3 - ey, 3 - ex));
        }
    }
}

// A puzzle that cannot be made leaves the one in play untouched; the preview's timeline
// goes on across new puzzles.
TEST(Session, AFailedBuildChangesNothingAndThePreviewOutlivesItsPuzzle)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    session.start(makePuzzle(3, 3, 90, 90), 1);
    const Surface shown = session.puzzle().boardSurface();
    try {
        session.start(Puzzle::build(Surface(20, 20), planFor(9, 9, 20000, 20000)), 1);
        ADD_FAILURE() << "a board surface of 1.6 GB must be refused";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::OutOfMemory);
    }
    EXPECT_TRUE(sameSurface(session.puzzle().boardSurface(), shown));

    session.showWholePicture();
    for (int tick = 1; tick <= 3; ++tick)
        EXPECT_FALSE(session.tick().hideOverlay);
    session.start(makePuzzle(2, 2, 90, 90), 1);
    EXPECT_TRUE(session.tick().hideOverlay);  // the fourth tick of the cycle under way
}

}  // namespace
}  // namespace tessaron
