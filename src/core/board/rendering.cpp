#include "core/board/rendering.h"

#include "core/platform/runtime_error.h"
#include "core/platform/arithmetic.h"

#include <algorithm>
#include <cstdlib>

namespace tessaron {

namespace {

PixelRect drawPixelLine(Surface& surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
    std::int32_t y2, Pixel colour)
{
    if (x1 == x2)
        return surface.verticalLine(x1, y1, y2, colour);
    if (y1 == y2)
        return surface.horizontalLine(x1, x2, y1, colour);
    return {};
}

}  // namespace

PixelRect drawLineTwips(Surface& surface, float twipsX, float twipsY, float x1, float y1,
    float x2, float y2, Pixel colour, std::span<const PixelRect> within)
{
    const std::int32_t px1 = roundToInt32(divide(x1, twipsX));
    const std::int32_t py1 = roundToInt32(divide(y1, twipsY));
    const std::int32_t px2 = roundToInt32(divide(x2, twipsX));
    const std::int32_t py2 = roundToInt32(divide(y2, twipsY));
    if (within.empty())
        return drawPixelLine(surface, px1, py1, px2, py2, colour);
    const PixelRect line{std::min(px1, px2), std::min(py1, py2), std::abs(px2 - px1) + 1,
        std::abs(py2 - py1) + 1};
    PixelRect drawn;
    for (const PixelRect& area : within) {
        const PixelRect part = line.intersected(area);
        if (!part.empty())
            drawn = drawn.united(drawPixelLine(surface, part.x, part.y, part.x + part.w - 1,
                part.y + part.h - 1, colour));
    }
    return drawn;
}

PixelRect drawGrid(Surface& window, const PlaceGeometry& geometry, std::span<const PixelRect> within)
{
    const float twipsX = geometry.twipsX;
    const float twipsY = geometry.twipsY;
    const std::int32_t left = geometry.left;
    const std::int32_t top = geometry.top;
    const std::int32_t width = roundToInt32(geometry.width);
    const std::int32_t height = roundToInt32(geometry.height);
    const std::int16_t columns = geometry.columns;
    const std::int16_t rows = geometry.rows;
    if (columns == 0 || rows == 0)
        throw RuntimeError(err::DivisionByZero);
    const auto fLeft = static_cast<float>(left);
    const auto fTop = static_cast<float>(top);
    const auto fRight = static_cast<float>(std::int64_t{left} + width);
    const auto fBottom = static_cast<float>(std::int64_t{top} + height);
    PixelRect changed;
    for (std::int32_t i = 0; i <= columns; ++i) {
        const auto x = static_cast<float>(
            static_cast<double>(left) + static_cast<double>(width) / columns * i);
        changed = changed.united(drawLineTwips(window, twipsX, twipsY, x, fTop, x, fBottom, kBlack, within));
    }
    for (std::int32_t j = 0; j <= rows; ++j) {
        const auto y = static_cast<float>(
            static_cast<double>(top) + static_cast<double>(height) / rows * j);
        changed = changed.united(drawLineTwips(window, twipsX, twipsY, fLeft, y, fRight, y, kBlack, within));
    }
    return changed;
}

PixelRect exchangePlaces(Surface& window, Surface& scratch, const PlaceGeometry& geometry, const Move& move)
{
    const PlaceGeometry::Scale scale = geometry.scale();
    const PixelRect a = PlaceGeometry::windowRect(scale, move.from.column, move.from.row);
    const PixelRect b = PlaceGeometry::windowRect(scale, move.to.column, move.to.row);
    blockCopy(scratch, 0, 0, a.w, a.h, window, a.x, a.y);
    const PixelRect changedA = blockCopy(window, a.x, a.y, a.w, a.h, window, b.x, b.y);
    const PixelRect changedB = blockCopy(window, b.x, b.y, b.w, b.h, scratch, 0, 0);
    return changedA.united(changedB);
}

PixelRect copyPictureArea(Surface& window, const Surface& picture, const PlaceGeometry& geometry)
{
    // Up to the frame lines, where the picture has the pixels: a seam the copy left in the
    // window's colour would be carried into the board by the last places as stray lines.
    const PixelRect area = geometry.framedArea();
    return blockCopy(window, area.x, area.y, area.w, area.h, picture, 0, 0);
}

void drawPicture(Surface& window, const Surface& picture, const PlaceGeometry& geometry, Pixel background)
{
    window.clear(background);
    copyPictureArea(window, picture, geometry);
    drawGrid(window, geometry);
}

PixelRect blackenEmptyPlace(Surface& window, const PlaceGeometry& geometry)
{
    const PixelRect place = geometry.emptyPlaceFill();
    return blackFill(window, place.x, place.y, place.w, place.h);
}

}  // namespace tessaron
