#include "board/rendering.h"

#include "platform/runtime_error.h"
#include "platform/vb_math.h"

namespace tessaron {

PixelRect drawLineTwips(Surface& surface, float twipsX, float twipsY, float x1, float y1,
    float x2, float y2, Pixel colour)
{
    const std::int32_t px1 = roundToInt32(divide(x1, twipsX));
    const std::int32_t py1 = roundToInt32(divide(y1, twipsY));
    const std::int32_t px2 = roundToInt32(divide(x2, twipsX));
    const std::int32_t py2 = roundToInt32(divide(y2, twipsY));
    if (px1 == px2)
        return surface.verticalLine(px1, py1, py2, colour);
    if (py1 == py2)
        return surface.horizontalLine(px1, px2, py1, colour);
    return {};
}

PixelRect DrawGrid(Surface& window, float twipsX, float twipsY, std::int32_t left,
    std::int32_t top, std::int32_t width, std::int32_t height, std::int16_t columns,
    std::int16_t rows)
{
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
        changed = changed.united(drawLineTwips(window, twipsX, twipsY, x, fTop, x, fBottom, kBlack));
    }
    for (std::int32_t j = 0; j <= rows; ++j) {
        const auto y = static_cast<float>(
            static_cast<double>(top) + static_cast<double>(height) / rows * j);
        changed = changed.united(drawLineTwips(window, twipsX, twipsY, fLeft, y, fRight, y, kBlack));
    }
    return changed;
}

PixelRect ExchangePlaces(Surface& window, Surface& scratch, const PlaceGeometry& geometry,
    std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY)
{
    const PixelRect a = geometry.windowRect(fromX, fromY);
    const PixelRect b = geometry.windowRect(toX, toY);
    const PixelRect bScratch = geometry.scratchRect(toX, toY);
    blockCopy(scratch, bScratch.x, bScratch.y, a.w, a.h, window, a.x, a.y);
    const PixelRect changedA = blockCopy(window, a.x, a.y, a.w, a.h, window, b.x, b.y);
    const PixelRect changedB = blockCopy(window, b.x, b.y, b.w, b.h, scratch, bScratch.x, bScratch.y);
    return changedA.united(changedB);
}

PixelRect copyPictureArea(Surface& window, const Surface& picture, const PlaceGeometry& geometry)
{
    const PixelRect area = geometry.pictureArea();
    return blockCopy(window, area.x, area.y, area.w, area.h, picture, 0, 0);
}

PixelRect blackenEmptyPlace(Surface& window, const PlaceGeometry& geometry)
{
    const PixelRect place = geometry.emptyPlaceFill();
    return blackFill(window, place.x, place.y, place.w, place.h);
}

}  // namespace tessaron
