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
    for (const PixelRect& rect : damaged.rects()) {
        // Surface pixels to widget pixels, rounded outwards.
        const QRectF area(rect.x / ratio_, rect.y / ratio_, rect.w / ratio_, rect.h / ratio_);
        region += area.toAlignedRect();
    }
    repaint(region);
}

void SurfaceView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const Surface& s = *surface_;
    const QSize covered = (QSizeF(s.width(), s.height()) / ratio_).toSize();
    if (s.width() > 0 && s.height() > 0) {
        QImage image(reinterpret_cast<const uchar*>(s.data()), s.width(), s.height(),
            static_cast<qsizetype>(s.width()) * static_cast<qsizetype>(sizeof(Pixel)),
            QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio_);
        // Rectangle by rectangle: two moved places far apart are two small copies, not
        // everything between them.
        for (const QRect& area : event->region()) {
            const QRectF source(area.x() * ratio_, area.y() * ratio_, area.width() * ratio_,
                area.height() * ratio_);
            painter.drawImage(QRectF(area), image, source);
        }
    }
    // Whatever the surface does not cover shows the window's background.
    const QRegion uncovered = event->region() - QRegion(QRect(QPoint(), covered));
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().window());
}

}  // namespace tessaron
