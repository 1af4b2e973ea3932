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
    const PixelRect damaged = surface_->takeDamage();
    if (damaged.empty() || !isVisible())
        return;
    repaint(QRect(damaged.x, damaged.y, damaged.w, damaged.h));
}

void SurfaceView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const Surface& s = *surface_;
    const QRect area = event->rect();
    if (s.width() > 0 && s.height() > 0) {
        const QImage image(reinterpret_cast<const uchar*>(s.data()), s.width(), s.height(),
            static_cast<qsizetype>(s.width()) * static_cast<qsizetype>(sizeof(Pixel)),
            QImage::Format_RGB32);
        painter.drawImage(area, image, area);
    }
    // Whatever the surface does not cover shows the window's background.
    const QRegion uncovered = QRegion(area) - QRegion(0, 0, s.width(), s.height());
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().window());
}

}  // namespace tessaron
