#pragma once
// The screen as the game measures it: twips per pixel (1440 twips to the inch) and the
// size of the screen, and conversions of twips layouts into pixels.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

class QScreen;

namespace tessaron {

struct ScreenMetrics {
    float twipsPerPixelX = 15.0f;
    float twipsPerPixelY = 15.0f;
    QRect available;  // pixels: the screen less task bars and panels
    // Device pixels per layout pixel: 2 on a high-resolution screen. Windows are laid
    // out in layout pixels; the board is drawn in device pixels.
    qreal devicePixelRatio = 1.0;

    // Twips to pixels, rounded half to even: a position or a size on its own.
    std::int32_t toPixelsX(float twips) const;
    std::int32_t toPixelsY(float twips) const;
    QPoint toPixels(float left, float top) const;
    QSize toPixelsSize(float width, float height) const;
    QRect toPixels(float left, float top, float width, float height) const;

    // Screen size in twips.
    float screenWidthTwips() const;
    float screenHeightTwips() const;
};

// From the logical DPI of the given screen (the primary one if none): 15 twips per pixel
// at 96 DPI.
ScreenMetrics screenMetrics(const QScreen* screen = nullptr);

// The desktop's colour, used for the notice that no picture is loaded. Windows has a
// system colour for it; elsewhere the classic desktop teal stands in.
QColor desktopColour();

}  // namespace tessaron
