#include "ui/platform/screen_metrics.h"

#include "core/platform/arithmetic.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tessaron {

std::int32_t ScreenMetrics::toPixelsX(float twips) const
{
    return roundToInt32(divide(twips, twipsPerPixelX));
}

std::int32_t ScreenMetrics::toPixelsY(float twips) const
{
    return roundToInt32(divide(twips, twipsPerPixelY));
}

QPoint ScreenMetrics::toPixels(float left, float top) const
{
    return {toPixelsX(left), toPixelsY(top)};
}

QSize ScreenMetrics::toPixelsSize(float width, float height) const
{
    return {toPixelsX(width), toPixelsY(height)};
}

QRect ScreenMetrics::toPixels(float left, float top, float width, float height) const
{
    return {toPixels(left, top), toPixelsSize(width, height)};
}

float ScreenMetrics::screenWidthTwips() const
{
    return static_cast<float>(available.width()) * twipsPerPixelX;
}

float ScreenMetrics::screenHeightTwips() const
{
    return static_cast<float>(available.height()) * twipsPerPixelY;
}

ScreenMetrics screenMetrics(const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    ScreenMetrics metrics;
    if (!screen)
        return metrics;
    const qreal dpiX = screen->logicalDotsPerInchX();
    const qreal dpiY = screen->logicalDotsPerInchY();
    if (dpiX > 0)
        metrics.twipsPerPixelX = static_cast<float>(1440.0 / dpiX);
    if (dpiY > 0)
        metrics.twipsPerPixelY = static_cast<float>(1440.0 / dpiY);
    metrics.available = screen->availableGeometry();
    metrics.devicePixelRatio = screen->devicePixelRatio();
    return metrics;
}

QColor desktopColour()
{
#ifdef Q_OS_WIN
    const COLORREF colour = GetSysColor(COLOR_DESKTOP);
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
#else
    return QColor(0, 128, 128);
#endif
}

}  // namespace tessaron
