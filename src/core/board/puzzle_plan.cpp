#include "core/board/puzzle_plan.h"

#include "core/platform/arithmetic.h"
#include "core/platform/runtime_error.h"

#include <new>
#include <optional>

#include <cmath>

namespace tessaron {
namespace {

LayoutInput layoutInput(const WindowMeasures& window, PictureSize picture)
{
    const float tx = window.twipsPerPixelX;
    const float ty = window.twipsPerPixelY;
    LayoutInput in;
    in.pictureWidth = static_cast<float>(picture.width) * window.boardTwipsX();
    in.pictureHeight = static_cast<float>(picture.height) * window.boardTwipsY();
    in.frameWidth = static_cast<float>(window.frameWidth) * tx;
    in.frameHeight = static_cast<float>(window.frameHeight + window.menuBarHeight) * ty;
    in.screenWidth = static_cast<float>(window.screenWidth) * tx;
    in.screenHeight = static_cast<float>(window.screenHeight) * ty;
    return in;
}

// Rounded as Qt rounds a length scaled by the device pixel ratio.
std::int32_t toDevicePixels(std::int32_t length, double ratio)
{
    const double scaled = length * ratio;
    return static_cast<std::int32_t>(scaled >= 0.0 ? std::floor(scaled + 0.5) : std::ceil(scaled - 0.5));
}

}  // namespace

float WindowMeasures::boardTwipsX() const { return twipsPerPixelX / static_cast<float>(devicePixelRatio); }

float WindowMeasures::boardTwipsY() const { return twipsPerPixelY / static_cast<float>(devicePixelRatio); }

Layout layoutFor(const WindowMeasures& window, PictureSize picture)
{
    return layoutPicture(layoutInput(window, picture));
}

PictureSize fittedSize(const WindowMeasures& window, PictureSize natural)
{
    const LayoutInput in = layoutInput(window, natural);
    return fitToScreen({.picture = natural, .twipsX = window.boardTwipsX(), .twipsY = window.boardTwipsY(),
        .frameWidth = in.frameWidth, .frameHeight = in.frameHeight, .screenWidth = in.screenWidth,
        .screenHeight = in.screenHeight});
}

PictureSize keptPart(const WindowMeasures& window, const Layout& layout)
{
    return {roundToInt32(divide(layout.picWidth, window.boardTwipsX())) + 1,
        roundToInt32(divide(layout.picHeight, window.boardTwipsY())) + 1};
}

PuzzlePlan planPuzzle(const WindowMeasures& window, PictureSize natural, std::int16_t columns,
    std::int16_t rows, PuzzleStyle style)
{
    PuzzlePlan plan;
    plan.twipsX = window.boardTwipsX();
    plan.twipsY = window.boardTwipsY();
    plan.columns = columns;
    plan.rows = rows;
    plan.style = style;
    plan.layout = layoutFor(window, natural);
    plan.background = window.background;
    // The board surface covers the client area, in device pixels.
    const std::int32_t clientWidth = roundToInt32(divide(plan.layout.clientWidth, window.twipsPerPixelX));
    const std::int32_t clientHeight = roundToInt32(divide(plan.layout.clientHeight, window.twipsPerPixelY));
    plan.boardWidth = toDevicePixels(clientWidth, window.devicePixelRatio);
    plan.boardHeight = toDevicePixels(clientHeight, window.devicePixelRatio);
    return plan;
}

Puzzle buildPuzzle(const PuzzleChoice& choice, const WindowMeasures& window, PuzzlePictures& pictures)
{
    try {
        std::optional<PuzzlePlan> plan;
        Surface area = pictures.pictureArea(choice.path, choice.fitToScreen, [&](PictureSize natural) {
            const PictureSize shown = choice.fitToScreen ? fittedSize(window, natural) : natural;
            plan = planPuzzle(window, shown, choice.columns, choice.rows, choice.style);
            // Of a large photo, only what the screen shows is read: it costs the memory of
            // what the player sees, not of the whole.
            const PictureSize kept = keptPart(window, plan->layout);
            return PictureReading{.size = choice.fitToScreen ? shown : kept, .area = kept};
        }, window.background);
        if (!plan)
            throw RuntimeError(err::InvalidPicture);  // a picture read without a size
        return Puzzle::build(std::move(area), *plan);
    } catch (const std::bad_alloc&) {
        // Whatever ran out, the puzzle on the board is still whole: the player is told,
        // and plays on.
        throw RuntimeError(err::OutOfMemory);
    }
}

}  // namespace tessaron
