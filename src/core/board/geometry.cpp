#include "core/board/geometry.h"

#include <algorithm>

#include "core/platform/arithmetic.h"

namespace tessaron {

float PlaceGeometry::pieceWidth() const { return divide(divide(width, columns), twipsX); }

float PlaceGeometry::pieceHeight() const { return divide(divide(height, rows), twipsY); }

PlaceGeometry::Scale PlaceGeometry::scale() const
{
    return {pieceWidth(), pieceHeight(), divide(static_cast<float>(left), twipsX),
        divide(static_cast<float>(top), twipsY)};
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
    return {roundToInt32(divide(static_cast<float>(left), twipsX)),
        roundToInt32(divide(static_cast<float>(top), twipsY)),
        roundToInt32(divide(width, twipsX)), roundToInt32(divide(height, twipsY))};
}

PixelRect PlaceGeometry::framedArea() const
{
    // As the grid places its last lines: the rounded area added to the corner in twips.
    const auto edge = [](std::int32_t corner, float size, std::int16_t pieces, float twips) {
        const auto whole = static_cast<double>(roundToInt32(size));
        return roundToInt32(divide(static_cast<float>(static_cast<double>(corner) + whole / pieces * pieces), twips));
    };
    const PixelRect area = pictureArea();
    return {area.x, area.y, std::max(area.w, edge(left, width, columns, twipsX) - area.x),
        std::max(area.h, edge(top, height, rows, twipsY) - area.y)};
}

PixelRect PlaceGeometry::emptyPlaceFill() const
{
    const std::int32_t lastX = roundToInt32(divide(width - divide(width, columns), twipsX));
    const std::int32_t lastY = roundToInt32(divide(height - divide(height, rows), twipsY));
    return {roundToInt32(divide(static_cast<float>(left), twipsX) + static_cast<float>(lastX)),
        roundToInt32(divide(static_cast<float>(top), twipsY) + static_cast<float>(lastY)),
        roundToInt32(pieceWidth()), roundToInt32(pieceHeight())};
}

}  // namespace tessaron
