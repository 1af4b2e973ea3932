#include "core/board/puzzle_plan.h"
#include "core/platform/runtime_error.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>

namespace tessaron {
namespace {

// A picture of any natural size, as the loader would read it, noting what it was asked.
struct PicturesOfSize : PuzzlePictures {
    PictureSize natural;
    std::function<void()> failure;  // thrown before anything is read
    PictureReading asked{};
    bool scaledAsked = false;

    Surface pictureArea(const std::string&, bool scaled,
        const std::function<PictureReading(PictureSize)>& reading, Pixel background) override
    {
        if (failure)
            failure();
        asked = reading(natural);
        scaledAsked = scaled;
        return Surface(asked.area.width, asked.area.height, background);
    }
};

// A full-HD screen less its panel, a window frame and a menu bar of the usual sizes.
WindowMeasures fullHd()
{
    WindowMeasures window;
    window.frameWidth = 10;
    window.frameHeight = 30;
    window.menuBarHeight = 25;
    window.screenWidth = 1920;
    window.screenHeight = 1040;
    return window;
}

// Whatever the picture's size, the window it makes, frame and menu bar included, fits the
// screen; a fitted picture is read whole at a size in its proportions and never larger,
// a cut one only as far as the screen shows it, and the board is cut from an area of
// exactly what was read.
TEST(BuildPuzzle, ReadsNoMoreThanTheScreenShowsAndTheWindowFitsTheScreen)
{
    // What is read of a picture small enough to show whole; nothing for one too large.
    const struct { PictureSize natural; bool fit; std::optional<PictureSize> read; } cases[] = {
        {{300, 200}, false, PictureSize{301, 201}}, {{300, 200}, true, PictureSize{300, 200}},
        {{1, 1}, true, PictureSize{1, 1}}, {{4000, 3000}, true, {}}, {{600, 3000}, true, {}},
        {{3000, 600}, true, {}}, {{4000, 3000}, false, {}}, {{600, 3000}, false, {}},
    };
    const WindowMeasures window = fullHd();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.natural.width << "x" << c.natural.height << (c.fit ? " fitted" : " cut"));
        PicturesOfSize pictures;
        pictures.natural = c.natural;
        const Puzzle puzzle = buildPuzzle({.columns = 3, .rows = 2, .style = PuzzleStyle::Difficult,
            .fitToScreen = c.fit}, window, pictures);
        EXPECT_EQ(pictures.scaledAsked, c.fit);
        const PictureSize read = pictures.asked.size;
        if (c.read) {
            EXPECT_EQ(read, *c.read);
        } else if (c.fit) {
            EXPECT_LT(read.width, c.natural.width);
            EXPECT_NEAR(double(read.width) / read.height, double(c.natural.width) / c.natural.height, 0.01);
        } else {
            EXPECT_EQ(read, pictures.asked.area);
        }
        EXPECT_LE(puzzle.boardSurface().width() + window.frameWidth, window.screenWidth);
        EXPECT_LE(puzzle.boardSurface().height() + window.frameHeight + window.menuBarHeight, window.screenHeight);
        EXPECT_EQ(puzzle.style(), PuzzleStyle::Difficult);
        EXPECT_EQ(puzzle.board().columns() * 10 + puzzle.board().rows(), 32);
    }
}

// A picture that cannot be read raises its own error, memory running out anywhere raises
// Out of memory, and a reader that never learnt the picture's size makes no puzzle.
TEST(BuildPuzzle, FailuresRaiseTheGamesErrors)
{
    const struct { std::function<void()> failure; PictureSize natural; ErrorNumber error; } cases[] = {
        {[] { throw RuntimeError(err::InvalidPicture); }, {10, 10}, err::InvalidPicture},
        {[] { throw RuntimeError(err::FileNotFound); }, {10, 10}, err::FileNotFound},
        {[] { throw std::bad_alloc(); }, {10, 10}, err::OutOfMemory},
    };
    for (const auto& c : cases) {
        PicturesOfSize pictures;
        pictures.natural = c.natural;
        pictures.failure = c.failure;
        EXPECT_EQ(errorNumberOf([&] { buildPuzzle({}, fullHd(), pictures); }), c.error);
    }
    struct Silent : PuzzlePictures {
        Surface pictureArea(const std::string&, bool, const std::function<PictureReading(PictureSize)>&, Pixel) override
        {
            return {};
        }
    } silent;
    EXPECT_EQ(errorNumberOf([&] { buildPuzzle({}, fullHd(), silent); }), err::InvalidPicture);
}

}  // namespace
}  // namespace tessaron
