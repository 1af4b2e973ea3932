#include "ui/shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace tessaron {

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size >= 32);
    const qreal s = size;

    // The picture: sky, sun and two hills.
    const QRectF board(0.5, 0.5, s - 1.0, s - 1.0);
    p.fillRect(board, QColor(0, 255, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QPointF(s * 0.30, s * 0.30), s * 0.16, s * 0.16);
    QPainterPath hills;
    hills.moveTo(0, s * 0.75);
    hills.quadTo(s * 0.35, s * 0.40, s * 0.70, s * 0.70);
    hills.quadTo(s * 0.85, s * 0.60, s, s * 0.62);
    hills.lineTo(s, s);
    hills.lineTo(0, s);
    hills.closeSubpath();
    p.setBrush(QColor(0, 128, 0));
    p.drawPath(hills);

    // The empty place of a sliding puzzle.
    const qreal cell = s / 3.0;
    p.fillRect(QRectF(2 * cell, 2 * cell, s - 2 * cell, s - 2 * cell), Qt::black);

    // The grid, framing the picture.
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black);
    pen.setWidthF(size >= 64 ? s / 32.0 : 1.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i <= 3; ++i) {
        const qreal at = i == 3 ? s - 1 : i * cell;
        p.drawLine(QPointF(at, 0), QPointF(at, s - 1));
        p.drawLine(QPointF(0, at), QPointF(s - 1, at));
    }
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

}  // namespace tessaron
