#include "core/board/geometry.h"

#include <algorithm>

#include "core/platform/vb_math.h"

namespace tessaron {

float PlaceGeometry::pieceWidth() const { return divide(divide(W, PiecesX), TwipsX); }

float PlaceGeometry::pieceHeight() const { return divide(divide(H, PiecesY), TwipsY); }

PlaceGeometry::Scale PlaceGeometry::scale() const
{
    return {pieceWidth(), pieceHeight(), divide(static_cast<float>(BoardLeft), TwipsX),
        divide(static_cast<float>(BoardTop), TwipsY)};
}

PixelRect PlaceGeometry::windowRect(const Scale& s, std::int32_t column, std::int32_t row)
{
    return {roundToInt32(s.bx + s.pw * static_cast<float>(column - 1)),
        roundToInt32(s.by + s.ph * static_cast<float>(row - 1)), roundToInt32(s.pw),
        roundToInt32(s.ph)};
}

PixelRect PlaceGeometry::windowRect(std::int32_t column, std::int32_t row) const
{
    return windowRect(scale(), column, row);
}

PixelRect PlaceGeometry::pieceRect() const
{
    const Scale s = scale();
    return {0, 0, roundToInt32(s.pw), roundToInt32(s.ph)};
}

PixelRect PlaceGeometry::pictureArea() const
{
    return {roundToInt32(divide(static_cast<float>(BoardLeft), TwipsX)),
        roundToInt32(divide(static_cast<float>(BoardTop), TwipsY)),
        roundToInt32(divide(W, TwipsX)), roundToInt32(divide(H, TwipsY))};
}

PixelRect PlaceGeometry::framedArea() const
{
    // As the grid places its last lines: the rounded area added to the corner in twips.
    const auto edge = [](std::int32_t corner, float size, std::int16_t pieces, float twips) {
        const auto whole = static_cast<double>(roundToInt32(size));
        return roundToInt32(divide(static_cast<float>(static_cast<double>(corner) + whole / pieces * pieces), twips));
    };
    const PixelRect area = pictureArea();
    return {area.x, area.y, std::max(area.w, edge(BoardLeft, W, PiecesX, TwipsX) - area.x),
        std::max(area.h, edge(BoardTop, H, PiecesY, TwipsY) - area.y)};
}

PixelRect PlaceGeometry::emptyPlaceFill() const
{
    const std::int32_t lastX = roundToInt32(divide(W - divide(W, PiecesX), TwipsX));
    const std::int32_t lastY = roundToInt32(divide(H - divide(H, PiecesY), TwipsY));
    return {roundToInt32(divide(static_cast<float>(BoardLeft), TwipsX) + static_cast<float>(lastX)),
        roundToInt32(divide(static_cast<float>(BoardTop), TwipsY) + static_cast<float>(lastY)),
        roundToInt32(pieceWidth()), roundToInt32(pieceHeight())};
}

}  // namespace tessaron
