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
// A hint: the piece to move, and where it goes.
const QColor kHintFromColour(40, 200, 60);
const QColor kHintToColour(40, 140, 255);

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
// shrinks with small places so that a frame never fills its place; `weight` makes a frame
// that must catch the eye (a hint) thicker on large places.
void frame(QPainter& painter, const QRectF& place, qreal inset, const QColor& colour, qreal weight = 1.0)
{
    const qreal unit = std::clamp(std::min(place.width(), place.height()) / 16.0, 0.25, weight);
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
    const BoardInput& input = session_.input();
    QRegion region;
    const auto add = [&](Place place) { region += placeRect(place.column, place.row).toAlignedRect(); };
    if (input.cursor().shown)
        add(input.cursor().place);
    if (input.marked())
        add(*input.marked());
    if (input.hint()) {
        add(input.hint()->from);
        add(input.hint()->to);
    }
    return region;
}

void BoardView::followInput()
{
    // Even in the same places the frames may differ: a pick adds one inside the cursor's.
    const QRegion now = frames();
    update(now + framed_);
    framed_ = now;
}

void BoardView::paintEvent(QPaintEvent* event)
{
    SurfaceView::paintEvent(event);
    const BoardInput& input = session_.input();
    if (!input.cursor().shown && !input.marked() && !input.hint())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const auto draw = [&](Place place, qreal inset, const QColor& colour, qreal weight = 1.0) {
        frame(painter, placeRect(place.column, place.row), inset, colour, weight);
    };
    if (input.hint()) {
        draw(input.hint()->from, 0, kHintFromColour, 2.0);
        draw(input.hint()->to, 0, kHintToColour, 2.0);
    }
    // The mark inside the cursor's frame: on the same place the two make a double frame.
    if (input.marked())
        draw(*input.marked(), 4, kPickedColour);
    if (input.cursor().shown)
        draw(input.cursor().place, 0, kCursorColour);
}

}  // namespace tessaron
