#include "board/geometry.h"

#include "platform/vb_math.h"

namespace tessaron {

float PlaceGeometry::pieceWidth() const { return divide(divide(W, PiecesX), TwipsX); }

float PlaceGeometry::pieceHeight() const { return divide(divide(H, PiecesY), TwipsY); }

PixelRect PlaceGeometry::windowRect(std::int32_t column, std::int32_t row) const
{
    const float pw = pieceWidth();
    const float ph = pieceHeight();
    const float bx = divide(static_cast<float>(BoardLeft), TwipsX);
    const float by = divide(static_cast<float>(BoardTop), TwipsY);
    return {roundToInt32(bx + pw * static_cast<float>(column - 1)),
        roundToInt32(by + ph * static_cast<float>(row - 1)), roundToInt32(pw),
        roundToInt32(ph)};
}

PixelRect PlaceGeometry::scratchRect(std::int32_t column, std::int32_t row) const
{
    const float pw = pieceWidth();
    const float ph = pieceHeight();
    return {roundToInt32(pw * static_cast<float>(column - 1)),
        roundToInt32(ph * static_cast<float>(row - 1)), roundToInt32(pw), roundToInt32(ph)};
}

PixelRect PlaceGeometry::pictureArea() const
{
    return {roundToInt32(divide(static_cast<float>(BoardLeft), TwipsX)),
        roundToInt32(divide(static_cast<float>(BoardTop), TwipsY)),
        roundToInt32(divide(W, TwipsX)), roundToInt32(divide(H, TwipsY))};
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
