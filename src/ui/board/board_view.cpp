#include "ui/board/board_view.h"

#include "core/board/session.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tessaron {
namespace {

const QColor kCursorColour(255, 214, 0);
const QColor kPickedColour(230, 40, 40);

// A band `width` wide just inside `outer`.
void ring(QPainter& painter, const QRectF& outer, qreal width, const QColor& colour)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(outer);
    path.addRect(outer.adjusted(width, width, -width, -width));
    painter.fillPath(path, colour);
}

// A coloured band between two dark lines shows on any picture, dark or light. Its unit
// shrinks with small places so that a frame never fills its place.
void frame(QPainter& painter, const QRectF& place, qreal inset, const QColor& colour)
{
    const qreal unit = std::clamp(std::min(place.width(), place.height()) / 16.0, 0.25, 1.0);
    const QRectF outer = place.adjusted(inset * unit, inset * unit, -inset * unit, -inset * unit);
    ring(painter, outer, unit, Qt::black);
    ring(painter, outer.adjusted(unit, unit, -unit, -unit), 2 * unit, colour);
    ring(painter, outer.adjusted(3 * unit, 3 * unit, -3 * unit, -3 * unit), unit, Qt::black);
}

}  // namespace

BoardView::BoardView(const PuzzleSession& session, QWidget* parent)
    : SurfaceView(session.puzzle().boardSurface(), parent), session_(session)
{
}

QRectF BoardView::placeRect(std::int16_t column, std::int16_t row) const
{
    const PixelRect place = session_.puzzle().geometry().windowRect(column, row);
    const qreal ratio = surfaceRatio();
    return {place.x / ratio, place.y / ratio, place.w / ratio, place.h / ratio};
}

QRegion BoardView::frames() const
{
    const KeyCursor& cursor = session_.cursor();
    QRegion region;
    if (!cursor.shown)
        return region;
    region += placeRect(cursor.place.column, cursor.place.row).toAlignedRect();
    if (cursor.picked)
        region += placeRect(cursor.picked->column, cursor.picked->row).toAlignedRect();
    return region;
}

void BoardView::followCursor()
{
    // Even in the same places the frames may differ: a pick adds one inside the cursor's.
    const QRegion now = frames();
    update(now + framed_);
    framed_ = now;
}

void BoardView::paintEvent(QPaintEvent* event)
{
    SurfaceView::paintEvent(event);
    const KeyCursor& cursor = session_.cursor();
    if (!cursor.shown)
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    // The pick inside the cursor's frame: on the same place the two make a double frame.
    if (cursor.picked)
        frame(painter, placeRect(cursor.picked->column, cursor.picked->row), 4, kPickedColour);
    frame(painter, placeRect(cursor.place.column, cursor.place.row), 0, kCursorColour);
}

}  // namespace tessaron
