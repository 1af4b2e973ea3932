#include "core/board/rules.h"
#include "support/board_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <numeric>
#include <vector>

namespace tessaron {
namespace {

TEST(FindCell, BoundsAreStrictAndInnerBoundariesBelongLeftAndAbove)
{
    // 4 x 3 places of 1500 twips on a 6000 x 4500 picture whose holder stands at (L, T).
    const float L = 525, T = 450;
    const CellGrid grid{L, T, 1500, 1500, 4, 3};
    const struct { float x, y; std::optional<Place> place; } cases[] = {
        {L + 1500, T + 10, Place{1, 1}}, {L + 1501, T + 10, Place{2, 1}}, {L, T + 10, std::nullopt},
        {L + 6000, T + 10, std::nullopt}, {L + 5999, T + 10, Place{4, 1}}, {L + 10, T + 4499, Place{1, 3}},
        {L + 10, T + 4500, std::nullopt}, {L + 10, T, std::nullopt}, {L + 4500, T + 3000, Place{3, 2}},
        {L + 0.5f, T + 0.5f, Place{1, 1}}, {-1000, -1000, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findCell(grid, c.x, c.y), c.place) << c.x - L << "," << c.y - T;
}

TEST(FindCell, NeverNamesAPlaceOutsideTheGrid)
{
    // A fractional corner and a point a hair inside the far edge: the offset from the
    // corner rounds up to a whole grid, which would name the place past the last.
    const struct { float left, cell; std::int16_t pieces; float x; } edges[] = {
        {9856.58398f, 980.412292f, 40, 49073.0742f}, {1428.32788f, 94.774559f, 66, 7683.44873f},
        {12255.7715f, 503.303955f, 74, 49500.2617f}};
    for (const auto& e : edges) {
        const std::optional<Place> place = findCell({e.left, e.left, e.cell, e.cell, e.pieces, e.pieces}, e.x, e.x);
        ASSERT_TRUE(place) << e.left;
        EXPECT_EQ(place->column, e.pieces) << e.left;
        EXPECT_EQ(place->row, e.pieces) << e.left;
    }
    EXPECT_FALSE(findCell({0, 0, 0, 0, 4, 4}, 1, 1));  // an empty picture
}

TEST(MoveToEmpty, OnlyNeighboursMoveIntoTheEmptyPlace)
{
    const Place empty{2, 2};
    const struct { Move move; bool allowed; } cases[] = {
        {{{2, 1}, {2, 2}}, true}, {{{1, 2}, {2, 2}}, true}, {{{3, 2}, {2, 2}}, true}, {{{2, 3}, {2, 2}}, true},
        {{{1, 1}, {2, 2}}, false}, {{{3, 3}, {2, 2}}, false}, {{{2, 4}, {2, 2}}, false}, {{{2, 2}, {2, 2}}, false},
        {{{2, 2}, {2, 1}}, false},  // picking the empty place and releasing beside it
        {{{1, 1}, {2, 1}}, false},  // a neighbour, but not the empty place
    };
    for (const auto& c : cases)
        EXPECT_EQ(canMoveToEmpty(empty, c.move), c.allowed) << c.move.from.column << "," << c.move.from.row
                                                            << " -> " << c.move.to.column << "," << c.move.to.row;
}

TEST(IsSolved, EveryPlaceIsChecked)
{
    EXPECT_TRUE(isSolved(boardFrom(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
    EXPECT_FALSE(isSolved(boardFrom(4, 3, {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
    EXPECT_FALSE(isSolved(boardFrom(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 11})));
    EXPECT_TRUE(isSolved(boardFrom(1, 1, {1})));
}

TEST(IsSolvableBySlides, AgreesWithAnExhaustiveSearch)
{
    for (auto [columns, rows] : {std::pair<std::int16_t, std::int16_t>{2, 2}, {3, 2}, {2, 3}, {4, 1}, {1, 4}, {3, 3}}) {
        const auto reachable = fewestMovesBySearch(columns, rows, true);
        std::vector<std::int16_t> cells(static_cast<std::size_t>(columns * rows));
        std::iota(cells.begin(), cells.end(), std::int16_t{1});
        do {
            ASSERT_EQ(isSolvableBySlides(boardFrom(columns, rows, cells)), reachable.count(cells) == 1)
                << columns << "x" << rows;
        } while (std::next_permutation(cells.begin(), cells.end()));
    }
}

}  // namespace
}  // namespace tessaron
