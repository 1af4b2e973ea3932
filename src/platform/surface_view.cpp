#include "platform/surface_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace tessaron {

SurfaceView::SurfaceView(Surface& surface, QWidget* parent) : QWidget(parent), surface_(&surface)
{
    // The surface covers the whole widget and is opaque: Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::refresh()
{
    const Damage damaged = surface_->takeDamage();
    if (damaged.empty() || !isVisible())
        return;
    QRegion region;
    for (const PixelRect& rect : damaged.rects())
        region += QRect(rect.x, rect.y, rect.w, rect.h);
    repaint(region);
}

void SurfaceView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const Surface& s = *surface_;
    if (s.width() > 0 && s.height() > 0) {
        const QImage image(reinterpret_cast<const uchar*>(s.data()), s.width(), s.height(),
            static_cast<qsizetype>(s.width()) * static_cast<qsizetype>(sizeof(Pixel)),
            QImage::Format_RGB32);
        // Rectangle by rectangle: two moved places far apart are two small copies, not
        // everything between them.
        for (const QRect& area : event->region())
            painter.drawImage(area, image, area);
    }
    // Whatever the surface does not cover shows the window's background.
    const QRegion uncovered = event->region() - QRegion(0, 0, s.width(), s.height());
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().window());
}

}  // namespace tessaron
