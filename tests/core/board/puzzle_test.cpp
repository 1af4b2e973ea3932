#include "core/board/board_input.h"
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
    plan.layout.left = 322;
    plan.layout.top = 233;
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
            all.push_back(board(c, r));
    std::sort(all.begin(), all.end());
    return std::adjacent_find(all.begin(), all.end()) == all.end() && all.front() == 1
        && all.back() == static_cast<std::int16_t>(all.size());
}

bool sameSurface(const Surface& a, const Surface& b)
{
    return a.width() == b.width() && a.height() == b.height()
        && std::equal(a.data(), a.data() + a.width() * a.height(), b.data());
}

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

// Random moves, most of them refused in the Difficult style and some off the board: the
// images follow the board whatever the caller asks, and the grid stays whole, after the
// shuffle and after every kind of move.
TEST(Moves, ImagesFollowTheBoardAndTheGridStaysWholeThroughThousandsOfMovesInBothStyles)
{
    const struct {
        std::int16_t columns, rows;
        std::int32_t width, height;
    } cases[] = {{4, 4, 200, 160}, {7, 5, 333, 211}, {12, 9, 500, 377}, {3, 2, 1000, 37}, {75, 75, 600, 450},
        {1, 5, 40, 90}};
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
                if (result == MoveResult::Refused) {
                    ASSERT_EQ(puzzle.board(), before);
                }
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

// A key read by the input and played on the puzzle, as the session does.
KeyIntent press(BoardInput& input, Puzzle& puzzle, Key key, MoveResult* result = nullptr)
{
    const KeyIntent intent = input.key(key, puzzle);
    const MoveResult played = intent.move ? puzzle.play(*intent.move) : MoveResult::Refused;
    if (result)
        *result = played;
    return intent;
}

const struct {
    Key key;
    std::int16_t dc, dr;  // the way the key points
} kArrows[] = {{Key::Left, -1, 0}, {Key::Right, 1, 0}, {Key::Up, 0, -1}, {Key::Down, 0, 1}};

// Normal: the cursor shows on the first key, stops at every edge, picks and drops, and
// asks for exactly the move a press and a release would. It never touches the board.
TEST(Keys, NormalCursorStopsAtEveryEdgePicksDropsAndExchangesAsTheMouseDoes)
{
    for (const auto& [columns, rows] : {std::pair<std::int16_t, std::int16_t>{1, 1}, {3, 2}, {1, 3}}) {
        SCOPED_TRACE(testing::Message() << columns << "x" << rows);
        Puzzle puzzle = makePuzzle(columns, rows, 90, 60);
        BoardInput input;
        const Surface start = puzzle.boardSurface();
        puzzle.takeDamage();  // the drawing of the new puzzle
        EXPECT_FALSE(press(input, puzzle, Key::Drop).report);  // nothing to drop, nothing shown
        EXPECT_FALSE(input.cursor().shown);
        const KeyIntent shown = press(input, puzzle, Key::Down);
        EXPECT_TRUE(input.cursor().shown);
        ASSERT_TRUE(shown.report);
        EXPECT_EQ(shown.report->news, BoardNews::Cursor);
        EXPECT_EQ(input.cursor().place, (Place{1, 1}));  // the first key only shows it
        const auto goTo = [&](Place p) {
            for (int i = 0; i < columns + rows; ++i) {
                press(input, puzzle, Key::Left);
                press(input, puzzle, Key::Up);
            }
            for (int i = 1; i < p.column; ++i)
                press(input, puzzle, Key::Right);
            for (int i = 1; i < p.row; ++i)
                press(input, puzzle, Key::Down);
            ASSERT_EQ(input.cursor().place, p);
        };
        for (std::int16_t r = 1; r <= rows; ++r) {
            for (std::int16_t c = 1; c <= columns; ++c) {
                for (const auto& arrow : kArrows) {
                    goTo({c, r});
                    const KeyIntent intent = press(input, puzzle, arrow.key);
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
            EXPECT_EQ(press(input, puzzle, Key::Pick).report->news, BoardNews::Picked);
            EXPECT_EQ(input.cursor().picked, last);
            const KeyIntent back = press(input, puzzle, putBack);
            EXPECT_FALSE(back.move);
            EXPECT_EQ(back.report->news, BoardNews::Cursor);
            EXPECT_FALSE(input.cursor().picked);
        }
        EXPECT_TRUE(sameSurface(puzzle.boardSurface(), start));
        EXPECT_TRUE(puzzle.takeDamage().empty());
        if (columns * rows > 1) {
            // The last piece onto the first place, as the mouse would put it; then back.
            BoardInput mouse;
            mouse.press(last);
            EXPECT_EQ(mouse.release(Place{1, 1}), (Move{last, {1, 1}}));
            press(input, puzzle, Key::Pick);
            goTo({1, 1});
            MoveResult result = MoveResult::Refused;
            const KeyIntent exchanged = press(input, puzzle, Key::Pick, &result);
            EXPECT_EQ(exchanged.move, (Move{last, {1, 1}}));
            EXPECT_EQ(result, MoveResult::Moved);
            EXPECT_EQ(exchanged.report->news, BoardNews::Exchanged);
            EXPECT_EQ(exchanged.report->other, last);
            EXPECT_FALSE(input.cursor().picked);
            press(input, puzzle, Key::Pick);
            goTo(last);
            press(input, puzzle, Key::Pick, &result);
            EXPECT_EQ(result, MoveResult::Solved);
            EXPECT_TRUE(sameSurface(puzzle.boardSurface(), start));
        }
        // A press hides the cursor and drops its pick, keeping its place.
        press(input, puzzle, Key::Pick);
        input.press(std::nullopt);
        EXPECT_FALSE(input.cursor().shown);
        EXPECT_FALSE(input.cursor().picked);
        EXPECT_EQ(input.cursor().place, last);
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
            Puzzle keys = puzzle;
            BoardInput input;
            const KeyIntent intent = press(input, keys, arrow.key);
            const Place from{static_cast<std::int16_t>(hole.column - arrow.dc), static_cast<std::int16_t>(hole.row - arrow.dr)};
            const bool onBoard = from.column >= 1 && from.column <= 3 && from.row >= 1 && from.row <= 3;
            if (onBoard) {
                EXPECT_EQ(intent.move, (Move{from, hole}));
                EXPECT_EQ(intent.report->news, BoardNews::Slid);
                EXPECT_EQ(intent.report->at, hole);
                EXPECT_EQ(keys.emptyPlace(), from);
            } else {
                EXPECT_FALSE(intent.move);
                EXPECT_FALSE(intent.report);
                EXPECT_EQ(keys.board(), puzzle.board());
            }
        }
        for (const Key other : {Key::Pick, Key::Drop})
            EXPECT_FALSE(BoardInput().key(other, puzzle).report);  // no cursor, no move
    }
    // The slide that finishes the puzzle brings the victory.
    Puzzle nearly = makePuzzle(3, 3, 90, 90, PuzzleStyle::Difficult);
    ASSERT_EQ(nearly.play({{2, 3}, {3, 3}}), MoveResult::Moved);
    BoardInput input;
    MoveResult result = MoveResult::Refused;
    press(input, nearly, Key::Left, &result);
    EXPECT_EQ(result, MoveResult::Solved);
}

// A screen that writes down what the session asked of it.
struct LoggedScreen : BoardScreen {
    std::vector<std::string> log;
    PlayState state;
    bool victoryHasText = true;
    int victories = 0;
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
    void showPlayState(const PlayState& shown) override { state = shown; }
    void showInput(const KeyCursor&, const std::optional<BoardReport>&) override {}
    bool announceVictory() override
    {
        ++victories;
        // The overlay appears only once the player has read the message.
        EXPECT_FALSE(state.finishedPictureShown);
        return victoryHasText;
    }
};

// Where the centre of a place lies in twips, for presses.
std::pair<float, float> centreOf(const Puzzle& puzzle, Place place)
{
    const Layout& l = puzzle.layout();
    return {static_cast<float>(l.left) + (place.column - 0.5f) * l.picWidth / static_cast<float>(puzzle.board().columns()),
        static_cast<float>(l.top) + (place.row - 0.5f) * l.picHeight / static_cast<float>(puzzle.board().rows())};
}

MoveResult drag(PuzzleSession& session, std::pair<float, float> from, std::pair<float, float> to)
{
    session.pressAt(from.first, from.second);
    return session.releaseAt(to.first, to.second);
}

MoveResult drag(PuzzleSession& session, Place from, Place to)
{
    return drag(session, centreOf(session.puzzle(), from), centreOf(session.puzzle(), to));
}

// A release after a press on a place moves by the style's rules; a release without a
// press on this board, or after a press off the picture, moves nothing; the victory
// comes with the release that leaves the board solved, even one that moves nothing.
TEST(Session, MovesByTheStylesRulesAndReportsTheVictory)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    // A single piece has no other arrangement: it is handed over as it is, and won.
    session.start(makePuzzle(1, 1, 100, 80, PuzzleStyle::Difficult), 3);
    EXPECT_EQ(screen.log, (std::vector<std::string>{"place 1", "show", "settle"}));
    EXPECT_EQ(drag(session, Place{1, 1}, Place{1, 1}), MoveResult::Solved);
    EXPECT_EQ(screen.victories, 1);

    for (const auto style : {PuzzleStyle::Normal, PuzzleStyle::Difficult}) {
        session.start(makePuzzle(2, 2, 200, 200, style), 5);
        const BoardArray before = session.puzzle().board();
        const auto [x, y] = centreOf(session.puzzle(), {1, 1});
        EXPECT_EQ(session.releaseAt(x, y), MoveResult::Refused);
        EXPECT_EQ(drag(session, {10, 10}, centreOf(session.puzzle(), {2, 2})), MoveResult::Refused);  // picked on the margin
        EXPECT_EQ(session.puzzle().board(), before);
        // The empty place, and the places diagonal to it and beside it.
        const Place empty = session.puzzle().emptyPlace();
        const auto other = [](std::int16_t n) { return static_cast<std::int16_t>(3 - n); };
        const MoveResult diagonal = drag(session, Place{other(empty.column), other(empty.row)}, empty);
        if (style == PuzzleStyle::Difficult) {
            EXPECT_EQ(diagonal, MoveResult::Refused);
            EXPECT_NE(drag(session, Place{other(empty.column), empty.row}, empty), MoveResult::Refused);
            EXPECT_EQ(session.puzzle().board()[empty], before(other(empty.column), empty.row));
        } else {
            EXPECT_NE(diagonal, MoveResult::Refused);
            EXPECT_EQ(session.puzzle().board()[empty], before(other(empty.column), other(empty.row)));
        }
    }
}

// The victory lays the finished picture over the board once the player has read the
// message, and takes "Show image" away; under the finished picture no key or press plays,
// while around it a press still drops a pick. With no message in the game's language
// (a language code of neither language) nothing covers the board and play goes on.
TEST(Session, TheFinishedPictureTakesTheBoardsInputUntilThePreviewHidesIt)
{
    for (const bool hasText : {true, false}) {
        SCOPED_TRACE(hasText ? "a message" : "no message");
        LoggedScreen screen;
        screen.victoryHasText = hasText;
        PuzzleSession session(screen);
        session.start(makePuzzle(2, 1, 100, 50), 1);
        EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = false, .showImageAvailable = true}));
        ASSERT_EQ(drag(session, Place{1, 1}, Place{2, 1}), MoveResult::Solved);
        EXPECT_EQ(screen.victories, 1);
        EXPECT_EQ(screen.state.finishedPictureShown, hasText);
        EXPECT_EQ(screen.state.showImageAvailable, !hasText);
        EXPECT_EQ(session.takesInput(), !hasText);

        const BoardArray won = session.puzzle().board();
        drag(session, Place{1, 1}, Place{2, 1});
        EXPECT_EQ(session.puzzle().board() != won, !hasText);
        drag(session, Place{1, 1}, Place{2, 1});
        for (const Key key : {Key::Down, Key::Pick, Key::Right, Key::Pick})
            session.keyPressed(key);
        EXPECT_EQ(session.puzzle().board() != won, !hasText);
    }

    // The preview: a pick made before it survives presses over the picture, not around it.
    LoggedScreen screen;
    PuzzleSession session(screen);
    session.start(makePuzzle(3, 1, 150, 50), 2);
    const BoardArray before = session.puzzle().board();
    session.pressAt(centreOf(session.puzzle(), {1, 1}).first, centreOf(session.puzzle(), {1, 1}).second);
    session.showWholePicture();
    EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = true, .showImageAvailable = true}));
    session.pressAt(centreOf(session.puzzle(), {2, 1}).first, centreOf(session.puzzle(), {2, 1}).second);
    EXPECT_EQ(session.keyPressed(Key::Down).report, std::nullopt);
    for (int tick = 1; tick <= 4; ++tick)
        session.tick();
    EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = false, .showImageAvailable = false}));
    const auto [x, y] = centreOf(session.puzzle(), {3, 1});
    EXPECT_NE(session.releaseAt(x, y), MoveResult::Refused);
    EXPECT_EQ(session.puzzle().board()(3, 1), before(1, 1));
}

// The preview's timeline goes on across new puzzles: a new puzzle hides the overlay and
// offers the command again, but the cycle's next tick takes it back until the twentieth.
TEST(Session, ThePreviewOutlivesItsPuzzle)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    session.clear(10, 10, kWhite);
    EXPECT_FALSE(screen.state.showImageAvailable);
    session.showWholePicture();  // no puzzle: nothing to show
    EXPECT_FALSE(screen.state.finishedPictureShown);

    session.start(makePuzzle(3, 3, 90, 90), 1);
    session.showWholePicture();
    for (int tick = 1; tick <= 3; ++tick)
        session.tick();
    EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = true, .showImageAvailable = false}));
    session.start(makePuzzle(2, 2, 90, 90), 1);
    EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = false, .showImageAvailable = true}));
    session.showWholePicture();  // offered again, and shown
    session.tick();              // the fourth tick of the cycle under way
    EXPECT_EQ(screen.state, (PlayState{.finishedPictureShown = false, .showImageAvailable = false}));
    for (int tick = 5; tick < 20; ++tick)
        session.tick();
    EXPECT_FALSE(screen.state.showImageAvailable);
    session.tick();
    EXPECT_TRUE(screen.state.showImageAvailable);
}

}  // namespace
}  // namespace tessaron
