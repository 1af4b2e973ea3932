#include "ui/platform/surface_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace tessaron {
namespace {

constexpr int kBandRows = 48;

}  // namespace

SurfaceView::SurfaceView(const Surface& surface, QWidget* parent) : QWidget(parent), surface_(&surface)
{
    // The surface covers the whole widget and is opaque: Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::showPartAt(QPoint origin, QSize size)
{
    part_ = true;
    origin_ = origin;
    size_ = size;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

void SurfaceView::showChanges(const Damage& damaged)
{
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
    if (part_) {
        const QSize shown = size_.boundedTo(QSize(s.width(), s.height()));
        if (shown.isEmpty())
            return;
        QImage image(reinterpret_cast<const uchar*>(s.data()), s.width(), s.height(),
            static_cast<qsizetype>(s.width()) * static_cast<qsizetype>(sizeof(Pixel)),
            QImage::Format_RGB32);
        painter.setClipRegion(event->region());
        painter.drawImage(QRectF(QPointF(origin_) / ratio_, QSizeF(shown) / ratio_), image,
            QRectF(QPointF(0, 0), QSizeF(shown)));
        return;
    }
    const QSize covered = (QSizeF(s.width(), s.height()) / ratio_).toSize();
    if (s.width() > 0 && s.height() > 0) {
        QImage image(reinterpret_cast<const uchar*>(s.data()), s.width(), s.height(),
            static_cast<qsizetype>(s.width()) * static_cast<qsizetype>(sizeof(Pixel)),
            QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio_);
        // Rectangle by rectangle: two moved places far apart are two small copies, not
        // everything between them.
        // In bands of rows: Qt hands a taller copy to its worker threads, and waking
        // them costs more than the copy of a piece, which is a plain memory copy here.
        for (const QRect& area : event->region()) {
            for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
                const QRect band(area.left(), top, area.width(), std::min(kBandRows, area.bottom() + 1 - top));
                const QRectF source(band.x() * ratio_, band.y() * ratio_, band.width() * ratio_,
                    band.height() * ratio_);
                painter.drawImage(QRectF(band), image, source);
            }
        }
    }
    // Whatever the surface does not cover shows the window's background.
    const QRegion uncovered = event->region() - QRegion(QRect(QPoint(), covered));
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().window());
}

}  // namespace tessaron
