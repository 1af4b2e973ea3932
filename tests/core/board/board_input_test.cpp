#include "core/board/board_input.h"
#include "core/board/puzzle.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessaron {
namespace {

using test::makePuzzle;

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
        // Nothing is announced for a frame that is not there.
        EXPECT_FALSE(input.key(Key::Drop, puzzle).report);
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
