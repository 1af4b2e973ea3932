#include "core/board/session.h"
#include "core/board/solver.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaron {
namespace {

using test::makePuzzle;

// A screen that writes down what the session asked of it.
struct LoggedScreen : BoardScreen {
    std::vector<std::string> log;
    PlayState state;
    PlayRecord record;
    bool victoryHasText = true;
    int victories = 0;
    void placeNewPuzzle(const Puzzle& p) override { log.push_back("place " + std::to_string(p.board().columns())); }
    void showChanges(const Damage& changed) override { if (!changed.empty() && log.back() != "show") log.push_back("show"); }
    void settle() override { log.push_back("settle"); }
    void showPlayState(const PlayState& shown) override { state = shown; }
    void showInput(const BoardInput&, const std::optional<BoardReport>&) override {}
    void showRecord(const PlayRecord& shown) override { record = shown; }
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

// Whether the finished picture covers the board, and whether "Show image" is offered.
std::pair<bool, bool> overlayAndCommand(const PlayState& s) { return {s.finishedPictureShown, s.showImageAvailable}; }

// A press and a release on the centres of places; off the board at {0, 0}.
void press(PuzzleSession& session, Place at)
{
    const auto [x, y] = centreOf(session.puzzle(), at);
    session.pressAt(x, y);
}

MoveResult release(PuzzleSession& session, Place at)
{
    const auto [x, y] = centreOf(session.puzzle(), at);
    return session.releaseAt(x, y);
}

MoveResult drag(PuzzleSession& session, Place from, Place to)
{
    press(session, from);
    return release(session, to);
}

MoveResult click(PuzzleSession& session, Place place) { return drag(session, place, place); }

// A release without a press on this board, or after a press off the picture, moves
// nothing; the victory comes with the release that leaves the board solved, even one
// that moves nothing.
TEST(Session, MovesOnlyFromAPressOnThePictureAndReportsTheVictory)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    // A single piece has no other arrangement: it is handed over as it is, and won.
    session.start(makePuzzle(1, 1, 100, 80, PuzzleStyle::Difficult), 3);
    EXPECT_EQ(screen.log, (std::vector<std::string>{"place 1", "show", "settle"}));
    EXPECT_EQ(drag(session, Place{1, 1}, Place{1, 1}), MoveResult::Solved);
    EXPECT_EQ(screen.victories, 1);

    session.start(makePuzzle(2, 2, 200, 200), 5);
    const BoardArray before = session.puzzle().board();
    EXPECT_EQ(release(session, {1, 1}), MoveResult::Refused);
    EXPECT_EQ(drag(session, {0, 0}, {2, 2}), MoveResult::Refused);  // picked on the margin
    EXPECT_EQ(session.puzzle().board(), before);
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
        EXPECT_EQ(overlayAndCommand(screen.state), std::pair(false, true));
        ASSERT_EQ(drag(session, Place{1, 1}, Place{2, 1}), MoveResult::Solved);
        EXPECT_EQ(screen.victories, 1);
        EXPECT_EQ(overlayAndCommand(screen.state), std::pair(hasText, !hasText));
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
    for (const Place pressedDuring : {Place{2, 1}, Place{0, 0}}) {
        LoggedScreen screen;
        PuzzleSession session(screen);
        session.start(makePuzzle(3, 1, 150, 50), 2);
        const BoardArray before = session.puzzle().board();
        press(session, {1, 1});
        session.showWholePicture();
        EXPECT_EQ(overlayAndCommand(screen.state), std::pair(true, true));
        press(session, pressedDuring);
        EXPECT_EQ(session.keyPressed(Key::Down).report, std::nullopt);
        for (int tick = 1; tick <= 4; ++tick)
            session.tick();
        EXPECT_EQ(overlayAndCommand(screen.state), std::pair(false, false));
        const bool over = pressedDuring.column > 0;
        EXPECT_EQ(release(session, {3, 1}) != MoveResult::Refused, over);
        EXPECT_EQ(session.puzzle().board()(3, 1) == before(1, 1), over);
    }
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
    EXPECT_EQ(overlayAndCommand(screen.state), std::pair(true, false));
    session.start(makePuzzle(2, 2, 90, 90), 1);
    EXPECT_EQ(overlayAndCommand(screen.state), std::pair(false, true));
    session.showWholePicture();  // offered again, and shown
    session.tick();              // the fourth tick of the cycle under way
    EXPECT_EQ(overlayAndCommand(screen.state), std::pair(false, false));
    for (int tick = 5; tick <= 20; ++tick)
        session.tick();
    EXPECT_TRUE(screen.state.showImageAvailable);
}

// Normal: a click marks a piece, a click on another place exchanges the two, a click on
// the marked piece or Escape takes the mark away, and a drag still moves as it always
// did. Difficult: a click on a piece in the empty place's row or column slides the line
// towards the empty place, one move a piece; elsewhere, or on the empty place, nothing.
TEST(Session, ClicksMarkAndExchangeInTheNormalStyleAndSlideLinesInTheDifficultOne)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    session.start(makePuzzle(3, 2, 150, 100), 4);
    const BoardArray start = session.puzzle().board();
    const auto moves = [&] { return session.record().moves; };
    click(session, {1, 1});
    EXPECT_EQ(session.input().marked(), (Place{1, 1}));
    click(session, {1, 1});
    EXPECT_FALSE(session.input().marked());
    click(session, {3, 2});
    session.keyPressed(Key::Drop);
    EXPECT_FALSE(session.input().marked());
    EXPECT_EQ(session.puzzle().board(), start);
    EXPECT_EQ(moves(), 0);
    click(session, {1, 1});
    click(session, {3, 2});
    EXPECT_FALSE(session.input().marked());
    EXPECT_EQ(session.puzzle().board()(1, 1), start(3, 2));
    EXPECT_EQ(session.puzzle().board()(3, 2), start(1, 1));
    click(session, {2, 1});
    drag(session, Place{3, 1}, Place{1, 2});  // a drag drops the mark and moves its own piece
    EXPECT_FALSE(session.input().marked());
    EXPECT_EQ(session.puzzle().board()(1, 2), start(3, 1));
    EXPECT_EQ(moves(), 2);

    for (int seed = 0; seed < 20; ++seed) {
        session.start(makePuzzle(4, 4, 160, 160, PuzzleStyle::Difficult), static_cast<std::uint64_t>(seed));
        const Place empty = session.puzzle().emptyPlace();
        for (std::int16_t c = 1; c <= 4; ++c) {
            for (std::int16_t r = 1; r <= 4; ++r) {
                PuzzleSession copy = session;
                const BoardArray before = copy.puzzle().board();
                click(copy, {c, r});
                const int distance = c == empty.column ? std::abs(r - empty.row) : r == empty.row ? std::abs(c - empty.column) : 0;
                ASSERT_EQ(copy.record().moves, distance) << c << "," << r;
                // The clicked piece is beside where the empty place was, which is now where
                // the clicked piece was; every piece between moved one step.
                EXPECT_EQ(copy.puzzle().emptyPlace(), (distance ? Place{c, r} : empty));
                const int dc = (c > empty.column) - (c < empty.column), dr = (r > empty.row) - (r < empty.row);
                for (int k = 0; k < distance; ++k)
                    EXPECT_EQ(copy.puzzle().board()(empty.column + k * dc, empty.row + k * dr),
                        before(empty.column + (k + 1) * dc, empty.row + (k + 1) * dr));
            }
        }
        // A drag the slide rule refuses is no move.
        const Place far{static_cast<std::int16_t>(empty.column <= 2 ? empty.column + 2 : empty.column - 2), empty.row};
        drag(session, far, empty);
        EXPECT_EQ(session.record().moves, 0);
    }
}

// Undo takes moves back one at a time and redo makes them again, a new move forgetting
// what could be redone; restart goes back to the board as it was handed over.
TEST(Session, UndoRedoAndRestartTakeTheBoardBackAndForth)
{
    for (const auto style : {PuzzleStyle::Normal, PuzzleStyle::Difficult}) {
        SCOPED_TRACE(style == PuzzleStyle::Difficult ? "difficult" : "normal");
        LoggedScreen screen;
        PuzzleSession session(screen);
        session.start(makePuzzle(5, 4, 200, 160, style), 11);
        const BoardArray handedOver = session.puzzle().board();
        EXPECT_FALSE(screen.state.undoAvailable || screen.state.redoAvailable || screen.state.restartAvailable);
        // Twelve moves the hints lead to, far from the solution.
        BoardArray afterTen;
        for (int n = 0; n < 12; ++n) {
            if (n == 10)
                afterTen = session.puzzle().board();
            session.showHint();
            drag(session, session.input().hint()->from, session.input().hint()->to);
        }
        ASSERT_EQ(screen.record.moves, 12);
        const BoardArray last = session.puzzle().board();
        EXPECT_TRUE(screen.state.undoAvailable && screen.state.restartAvailable && !screen.state.redoAvailable);
        for (int n = 12; n > 0; --n) {
            session.undo();
            ASSERT_EQ(screen.record.moves, n - 1);
        }
        EXPECT_EQ(session.puzzle().board(), handedOver);
        EXPECT_FALSE(screen.state.undoAvailable);
        session.undo();  // nothing left to take back
        EXPECT_EQ(session.puzzle().board(), handedOver);
        for (int n = 1; n <= 12; ++n)
            session.redo();
        EXPECT_EQ(session.puzzle().board(), last);
        EXPECT_EQ(screen.record.moves, 12);
        session.undo();
        session.undo();
        EXPECT_EQ(session.puzzle().board(), afterTen);
        session.showHint();
        drag(session, session.input().hint()->from, session.input().hint()->to);  // a new move: nothing to redo any more
        EXPECT_FALSE(screen.state.redoAvailable);
        session.restart();
        EXPECT_EQ(session.puzzle().board(), handedOver);
        EXPECT_EQ(screen.record.moves, 0);
        EXPECT_FALSE(screen.state.undoAvailable || screen.state.redoAvailable || screen.state.restartAvailable);
    }
}

// The count and the clock: the clock starts at the first move and stops at the victory,
// restart sets both back, and after the victory the figures stay, with the par beside
// them. Following the hints solves in the fewest moves.
TEST(Session, CountsMovesAndTimeFromTheFirstMoveToTheVictoryAndGivesThePar)
{
    auto now = std::chrono::steady_clock::time_point{};
    const auto wait = [&](int seconds) { now += std::chrono::seconds(seconds); };
    for (const auto& [columns, rows, style] : {std::tuple{3, 3, PuzzleStyle::Difficult}, {4, 3, PuzzleStyle::Normal}}) {
        LoggedScreen screen;
        PuzzleSession session(screen, [&] { return now; });
        session.start(makePuzzle(static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows), 90, 90, style), 5);
        const std::optional<std::int32_t> fewest = par(session.puzzle().board(), style);
        ASSERT_TRUE(fewest);
        EXPECT_EQ(screen.record, (PlayRecord{.shown = true, .moves = 0, .seconds = 0, .par = {}}));
        wait(10);
        session.tick();
        EXPECT_EQ(screen.record.seconds, 0);  // no move yet
        session.showHint();
        drag(session, session.input().hint()->from, session.input().hint()->to);
        wait(42);
        session.tick();
        EXPECT_EQ(screen.record, (PlayRecord{.shown = true, .moves = 1, .seconds = 42, .par = {}}));
        session.restart();
        EXPECT_EQ(screen.record, (PlayRecord{.shown = true, .moves = 0, .seconds = 0, .par = {}}));
        wait(5);
        int moves = 0;
        for (; !session.puzzle().isSolved() && moves < 100; ++moves) {
            session.showHint();
            const Move next = *session.input().hint();
            press(session, next.from);
            EXPECT_FALSE(session.input().hint());  // until the next input
            release(session, next.to);
            wait(3);
            session.tick();
        }
        EXPECT_EQ(moves, *fewest);
        EXPECT_EQ(screen.victories, 1);
        const PlayRecord won{.shown = true, .moves = moves, .seconds = 3 * (moves - 1), .par = fewest};
        EXPECT_EQ(screen.record, won);
        wait(100);
        session.tick();
        EXPECT_EQ(screen.record, won);
        EXPECT_FALSE(screen.state.undoAvailable || screen.state.restartAvailable || screen.state.hintAvailable);
    }
}

// A Difficult board of 10 to 16 places gets its par and its shortest hints from searches
// the window runs. A hint waits for its search or, overdue, takes the plan's slide; a
// search's solution serves every hint along it at once; the par comes when its search
// ends, even after the victory; and a solution for a puzzle since replaced, or for a
// board since moved, is never shown.
TEST(Session, MidSizeDifficultBoardsTakeTheirParAndShortestHintsFromSearches)
{
    LoggedScreen screen;
    PuzzleSession session(screen);
    const auto solve = [](const SearchRequest& asked) { return shortestSlides(asked.board).value(); };
    const auto hint = [&] { return session.input().hint(); };
    const auto deal = [&](std::uint64_t seed) {
        session.start(makePuzzle(4, 3, 80, 60, PuzzleStyle::Difficult), seed);
        return session.parSearch().value();
    };
    const SearchRequest stale = deal(3);
    const SearchRequest dealt = deal(3);  // the same arrangement again
    std::vector<Move> longer = solve(dealt);
    longer.insert(longer.begin(), {longer[0], Move{longer[0].to, longer[0].from}});
    session.takeSolution(stale, longer);  // would give a par two too high
    EXPECT_TRUE(session.parSearch());

    // One slide along a shortest way: the way on from there never comes back.
    const Move opening = solve(dealt).front();
    drag(session, opening.from, opening.to);
    const SearchRequest first = session.showHint().value();
    EXPECT_FALSE(hint());
    drag(session, opening.to, opening.from);
    const std::vector<Move> onward = solve(first);
    session.takeSolution(first, onward);
    EXPECT_FALSE(hint());  // the board moved since
    const SearchRequest again = session.showHint().value();
    session.hintOverdue(again.ticket);
    EXPECT_EQ(hint(), slideHint(session.puzzle().board()));
    session.takeSolution(again, solve(again));  // too late for that hint: it stays
    EXPECT_EQ(hint(), slideHint(session.puzzle().board()));
    drag(session, opening.from, opening.to);
    EXPECT_FALSE(session.showHint());  // on the way a search found: no search
    EXPECT_EQ(hint(), onward.front());
    for (int n = 0; !session.puzzle().isSolved() && n < 100; ++n) {
        ASSERT_FALSE(session.showHint());
        drag(session, hint()->from, hint()->to);
    }
    EXPECT_EQ(screen.record.par, static_cast<std::int32_t>(onward.size() + 1));

    const SearchRequest later = deal(4);
    const std::vector<Move> way = solve(later);
    for (const Move& move : way)
        drag(session, move.from, move.to);
    ASSERT_EQ(screen.victories, 2);
    EXPECT_FALSE(screen.record.par);
    session.takeSolution(later, way);
    EXPECT_EQ(screen.record.par, static_cast<std::int32_t>(way.size()));
    EXPECT_FALSE(session.parSearch());
}

}  // namespace
}  // namespace tessaron
