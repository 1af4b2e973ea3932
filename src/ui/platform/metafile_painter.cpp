#include "ui/platform/metafile_painter.h"

#include <QFontMetricsF>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaron {
namespace {

using namespace metafile;

QColor qcolor(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

QTransform qtransform(const Matrix& m)
{
    return QTransform(m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
}

QPainterPath qpath(const Path& path, bool winding)
{
    QPainterPath p;
    p.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
    const auto& pts = path.points();
    std::size_t i = 0;
    for (const Path::Op op : path.ops()) {
        switch (op) {
        case Path::Op::Move: p.moveTo(pts[i].x, pts[i].y); ++i; break;
        case Path::Op::Line: p.lineTo(pts[i].x, pts[i].y); ++i; break;
        case Path::Op::Cubic:
            p.cubicTo(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pts[i + 2].x, pts[i + 2].y);
            i += 3;
            break;
        case Path::Op::Close: p.closeSubpath(); break;
        }
    }
    return p;
}

// The binary raster operations (SetROP2) that have a QPainter equivalent; the pen or
// brush colour may be replaced for the ones that ignore it.
QPainter::CompositionMode compositionFor(int rop2)
{
    switch (rop2) {
    case 6: return QPainter::RasterOp_NotDestination;          // R2_NOT
    case 7: return QPainter::RasterOp_SourceXorDestination;    // R2_XORPEN
    case 9: return QPainter::RasterOp_SourceAndDestination;    // R2_MASKPEN
    case 15: return QPainter::RasterOp_SourceOrDestination;    // R2_MERGEPEN
    case 10: return QPainter::RasterOp_NotSourceXorDestination;  // R2_NOTXORPEN
    default: return QPainter::CompositionMode_SourceOver;
    }
}

Rgb ropColor(int rop2, Rgb color)
{
    switch (rop2) {
    case 1: return {0, 0, 0};        // R2_BLACK
    case 16: return {255, 255, 255};  // R2_WHITE
    case 4: return {static_cast<std::uint8_t>(255 - color.r), static_cast<std::uint8_t>(255 - color.g),
        static_cast<std::uint8_t>(255 - color.b)};  // R2_NOTCOPYPEN
    default: return color;
    }
}

// Ternary raster operations of block transfers with a source.
QPainter::CompositionMode compositionForRop(std::uint32_t rop)
{
    switch (rop >> 16) {
    case 0xEE: return QPainter::RasterOp_SourceOrDestination;   // SRCPAINT
    case 0x88: return QPainter::RasterOp_SourceAndDestination;  // SRCAND
    case 0x66: return QPainter::RasterOp_SourceXorDestination;  // SRCINVERT
    case 0x44: return QPainter::RasterOp_SourceAndNotDestination;  // SRCERASE
    case 0x33: return QPainter::RasterOp_NotSource;             // NOTSRCCOPY
    case 0x11: return QPainter::RasterOp_NotSourceAndNotDestination;  // NOTSRCERASE
    case 0xBB: return QPainter::RasterOp_NotSourceOrDestination;  // MERGEPAINT
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Qt rasterises a shape over its whole extent, so a drawing reaching millions of pixels
// beyond the picture takes seconds for a few pixels of result. Such shapes are cut to the
// picture and a margin first: polygons by Sutherland-Hodgman, which keeps the fill inside
// the rectangle under either fill rule, and stroked lines segment by segment.
QPolygonF clipPolygon(QPolygonF poly, const QRectF& r)
{
    for (int edge = 0; edge < 4 && !poly.isEmpty(); ++edge) {
        const auto inside = [&](QPointF p) {
            switch (edge) {
            case 0: return p.x() >= r.left();
            case 1: return p.x() <= r.right();
            case 2: return p.y() >= r.top();
            default: return p.y() <= r.bottom();
            }
        };
        const auto cross = [&](QPointF a, QPointF b) {
            double t;
            switch (edge) {
            case 0: t = (r.left() - a.x()) / (b.x() - a.x()); break;
            case 1: t = (r.right() - a.x()) / (b.x() - a.x()); break;
            case 2: t = (r.top() - a.y()) / (b.y() - a.y()); break;
            default: t = (r.bottom() - a.y()) / (b.y() - a.y()); break;
            }
            return a + (b - a) * t;
        };
        QPolygonF out;
        QPointF previous = poly.last();
        for (const QPointF& current : std::as_const(poly)) {
            const bool in = inside(current);
            if (in != inside(previous))
                out << cross(previous, current);
            if (in)
                out << current;
            previous = current;
        }
        poly = std::move(out);
    }
    return poly;
}

// Liang-Barsky: false when the segment misses the rectangle.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a + QPointF(dx, dy) * t0;
    b = a + QPointF(dx, dy) * t1;
    a = start;
    return true;
}

QPainterPath boundedFill(const QPainterPath& device, const QRectF& limit)
{
    QPainterPath out;
    out.setFillRule(device.fillRule());
    for (const QPolygonF& polygon : device.toSubpathPolygons()) {
        const QPolygonF cut = clipPolygon(polygon, limit);
        if (cut.size() >= 3)
            out.addPolygon(cut);
    }
    return out;
}

QPainterPath boundedStroke(const QPainterPath& device, const QRectF& limit)
{
    QPainterPath out;
    for (const QPolygonF& line : device.toSubpathPolygons()) {
        bool open = false;
        QPointF end;
        for (qsizetype i = 1; i < line.size(); ++i) {
            QPointF a = line[i - 1], b = line[i];
            if (!clipSegment(a, b, limit)) {
                open = false;
                continue;
            }
            if (!open || a != end)
                out.moveTo(a);
            out.lineTo(b);
            end = b;
            open = true;
        }
    }
    return out;
}

// Qt's rasteriser notes a cell wherever an outline crosses a pixel. It holds a few
// hundred and, when a band of rows needs more, halves the band and walks the whole outline
// again for each half; so a shape that crosses every row many times is walked hundreds
// of times over: a 50-point zigzag across a 1000-pixel picture took a second, filled,
// stroked wide or as a clip. Such a shape is filled in strips of rows that each fit,
// which walks each part of it about once.
constexpr double kStripCells = 256;

// Running totals of the cells each row of a picture `height` rows high needs for the
// outline: above[y] is the sum over the rows above y. The outline lies within the
// picture and a margin, so an edge's width is the picture's at most.
std::vector<double> cellsAbove(const QList<QPolygonF>& outline, int height)
{
    std::vector<double> step(static_cast<std::size_t>(height) + 1, 0);
    for (const QPolygonF& polygon : outline) {
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            const double top = std::clamp(std::floor(std::min(a.y(), b.y())), 0.0, double(height));
            const double bottom = std::clamp(std::floor(std::max(a.y(), b.y())) + 1, 0.0, double(height));
            if (bottom <= top)
                continue;
            const double perRow = std::abs(b.x() - a.x()) / (bottom - top) + 1;
            step[static_cast<std::size_t>(top)] += perRow;
            step[static_cast<std::size_t>(bottom)] -= perRow;
        }
    }
    std::vector<double> above(static_cast<std::size_t>(height) + 1, 0);
    double row = 0;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        row += step[y];
        above[y + 1] = above[y] + row;
    }
    return above;
}

// The parts of the outline between two rows, as a fill of them.
QList<QPolygonF> between(const QList<QPolygonF>& outline, int top, int bottom)
{
    const QRectF rows(-1e9, top, 2e9, bottom - top);
    QList<QPolygonF> parts;
    for (const QPolygonF& polygon : outline) {
        const auto [low, high] = std::minmax_element(polygon.begin(), polygon.end(),
            [](QPointF a, QPointF b) { return a.y() < b.y(); });
        if (low == polygon.end() || high->y() <= top || low->y() >= bottom)
            continue;
        if (low->y() >= top && high->y() <= bottom) {
            parts.append(polygon);  // shared, not copied
            continue;
        }
        QPolygonF part = clipPolygon(polygon, rows);
        if (part.size() >= 3)
            parts.append(std::move(part));
    }
    return parts;
}

QPainterPath pathOf(const QList<QPolygonF>& outline, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    for (const QPolygonF& polygon : outline)
        path.addPolygon(polygon);
    return path;
}

void fillStrips(const QList<QPolygonF>& outline, Qt::FillRule rule, const QBrush& brush,
    const std::vector<double>& above, int top, int bottom, QPainter& onto)
{
    if (outline.isEmpty())
        return;
    if (bottom - top <= 1 || above[static_cast<std::size_t>(bottom)] - above[static_cast<std::size_t>(top)] <= kStripCells) {
        onto.fillPath(pathOf(outline, rule), brush);
        return;
    }
    const int middle = top + (bottom - top) / 2;
    fillStrips(between(outline, top, middle), rule, brush, above, top, middle, onto);
    fillStrips(between(outline, middle, bottom), rule, brush, above, middle, bottom, onto);
}

// Fills a shape in picture pixels, in strips of rows when it is too complex for Qt's
// rasteriser to fill in one go; false, with nothing drawn, when it is not.
bool fillInStrips(const QPainterPath& device, const QBrush& brush, QPainter& onto)
{
    if (device.elementCount() < 8 && device.controlPointRect().height() < kStripCells)
        return false;  // a rectangle or a few lines, as most shapes are: few cells
    const QList<QPolygonF> outline = device.toSubpathPolygons();
    const std::vector<double> above = cellsAbove(outline, onto.device()->height());
    if (above.back() <= 4 * kStripCells)
        return false;
    onto.setTransform(QTransform());
    QBrush deviceBrush = brush;
    deviceBrush.setTransform(QTransform());
    fillStrips(between(outline, 0, onto.device()->height()), device.fillRule(), deviceBrush, above, 0,
        onto.device()->height(), onto);
    return true;
}

}  // namespace

MetafilePainter::~MetafilePainter()
{
    if (painter_)
        painter_->restore();  // the state saved at the start, without a clip
}

void MetafilePainter::begin(std::int32_t width, std::int32_t height)
{
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull())
        throw std::bad_alloc();
    image_.fill(Qt::white);
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter_->save();
}

QImage MetafilePainter::finish()
{
    if (painter_)
        painter_->restore();
    painter_.reset();
    return std::move(image_);
}

// GDI clips whole pixels, so a clip here is a region too. Rectangles, which clip records
// and most regions are, combine as they are; a clip of many, or of any other outline, is
// filled into a mask of its box (in strips, as any shape), and the pixels it covers at
// least half make up its region. Combining outlines instead, or handing Qt a complex
// one to clip with, can take seconds.
QRegion MetafilePainter::regionOf(const ClipStep& step) const
{
    if (step.devicePath.empty())
        return {};
    const std::vector<RectF> rects = rectanglesOf(step.devicePath);
    if (!rects.empty() && rects.size() <= kClipRectangles) {
        QRegion region;
        for (const RectF& r : rects) {
            const QPoint topLeft(qRound(std::clamp(r.x, -1e6, 1e6)), qRound(std::clamp(r.y, -1e6, 1e6)));
            const QPoint end(qRound(std::clamp(r.x + r.w, -1e6, 1e6)), qRound(std::clamp(r.y + r.h, -1e6, 1e6)));
            region += QRect(topLeft, end - QPoint(1, 1)) & image_.rect();
        }
        return region;
    }
    QPainterPath p = qpath(step.devicePath, step.winding);
    const QRectF limit = QRectF(image_.rect()).adjusted(-16, -16, 16, 16);
    if (!limit.contains(p.controlPointRect()))
        p = boundedFill(p, limit);
    // The mask covers the outline's box within the picture.
    const QRect box = p.controlPointRect().toAlignedRect().adjusted(-1, -1, 1, 1) & image_.rect();
    if (box.isEmpty())
        return {};
    QImage mask(box.size(), QImage::Format_Grayscale8);
    if (mask.isNull())
        throw std::bad_alloc();
    mask.fill(0);
    p.translate(-box.topLeft());
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!fillInStrips(p, Qt::white, painter))
            painter.fillPath(p, Qt::white);
    }
    // Each row's runs of covered pixels, in the order a region keeps its rectangles.
    std::vector<QRect> runs;
    const int width = mask.width();
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < width;) {
            while (x < width && row[x] < 128)
                ++x;
            const int start = x;
            while (x < width && row[x] >= 128)
                ++x;
            if (x > start)
                runs.emplace_back(box.x() + start, box.y() + y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

void MetafilePainter::applyClip(const Clip& clip)
{
    if (clip == clip_)
        return;
    clip_ = clip;
    clipEmpty_ = false;
    // Back to the state without a clip saved at the start: replacing a complex clip
    // with another makes Qt rasterise the new one as an outline, which can take seconds.
    painter_->restore();
    painter_->save();
    if (!clip)
        return;
    QRegion region(image_.rect());
    for (const ClipStep& step : *clip) {
        const QRegion r = regionOf(step);
        switch (step.kind) {
        case ClipStep::Kind::Intersect: region &= r; break;
        case ClipStep::Kind::Exclude: region -= r; break;
        case ClipStep::Kind::Replace: region = r; break;
        case ClipStep::Kind::Unite: region |= r; break;
        case ClipStep::Kind::Xor: region ^= r; break;
        }
    }
    clipEmpty_ = region.isEmpty();
    painter_->setClipRegion(region);
}

bool MetafilePainter::prepare(const DrawState& state)
{
    if (!painter_ || state.rop2 == 11)  // R2_NOP
        return false;
    applyClip(state.clip);
    if (clipEmpty_)
        return false;
    painter_->setCompositionMode(compositionFor(state.rop2));
    painter_->setTransform(qtransform(state.toDevice));
    return true;
}

QPen MetafilePainter::pen(const DrawState& state) const
{
    const Pen& p = state.pen;
    QPen pen(qcolor(ropColor(state.rop2, p.color)));
    const double scale = std::sqrt(std::abs(state.toDevice.determinant()));
    if (p.cosmetic || p.width * scale < 1) {
        pen.setCosmetic(true);
        pen.setWidthF(1);
    } else {
        // No real pen is wider than the picture; a broken width must not reach Qt.
        pen.setWidthF(std::min(p.width, 1e5 / std::max(scale, 1e-9)));
    }
    switch (p.style) {
    case Pen::Style::Dash: pen.setStyle(Qt::DashLine); break;
    case Pen::Style::Dot: pen.setStyle(Qt::DotLine); break;
    case Pen::Style::DashDot: pen.setStyle(Qt::DashDotLine); break;
    case Pen::Style::DashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    case Pen::Style::Null: pen.setStyle(Qt::NoPen); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    pen.setCapStyle(p.cap == Pen::Cap::Round ? Qt::RoundCap : p.cap == Pen::Cap::Square ? Qt::SquareCap : Qt::FlatCap);
    pen.setJoinStyle(p.join == Pen::Join::Round ? Qt::RoundJoin : p.join == Pen::Join::Bevel ? Qt::BevelJoin : Qt::MiterJoin);
    pen.setMiterLimit(std::clamp(p.miterLimit, 1.0, 100.0));
    return pen;
}

QBrush MetafilePainter::brush(const DrawState& state) const
{
    const Brush& b = state.brush;
    const QColor color = qcolor(ropColor(state.rop2, b.color));
    switch (b.style) {
    case Brush::Style::Null: return Qt::NoBrush;
    case Brush::Style::Hatched: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
            Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        QBrush brush(color, b.hatch >= 0 && b.hatch < 6 ? hatches[b.hatch] : Qt::SolidPattern);
        // Hatches are device-sized on GDI.
        brush.setTransform(qtransform(state.toDevice).inverted());
        return brush;
    }
    case Brush::Style::Pattern:
        if (b.pattern && !b.pattern->pixels.empty()) {
            const QImage tile(reinterpret_cast<const uchar*>(b.pattern->pixels.data()), b.pattern->width,
                b.pattern->height, b.pattern->width * 4, QImage::Format_RGB32);
            QBrush brush(tile.copy());
            brush.setTransform(qtransform(state.toDevice).inverted());
            return brush;
        }
        return QBrush(color);
    default: return QBrush(color);
    }
}

void MetafilePainter::drawPath(const Path& path, const DrawState& state, bool fill, bool stroke)
{
    if (!prepare(state))
        return;
    const QPainterPath p = qpath(path, state.winding);
    QPen qpen = pen(state);
    QBrush qbrush = brush(state);
    const QTransform toDevice = qtransform(state.toDevice);
    const QPainterPath device = toDevice.map(p);
    const double scale = std::sqrt(std::abs(state.toDevice.determinant()));
    const double margin = 16 + (qpen.isCosmetic() ? 1 : qpen.widthF() * scale);
    const QRectF limit = QRectF(image_.rect()).adjusted(-margin, -margin, margin, margin);
    const bool bounded = limit.contains(device.controlPointRect());
    if (!bounded) {
        painter_->setTransform(QTransform());
        if (!qpen.isCosmetic())
            qpen.setWidthF(qpen.widthF() * scale);
        qbrush.setTransform(QTransform());
    }
    if (fill) {
        painter_->setBackgroundMode(state.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
        painter_->setBackground(qcolor(state.backColor));
        const QPainterPath shape = bounded ? device : boundedFill(device, limit);
        if (!fillInStrips(shape, qbrush, *painter_))
            painter_->fillPath(bounded ? p : shape, qbrush);
        painter_->setTransform(bounded ? toDevice : QTransform());
    }
    if (stroke && qpen.style() != Qt::NoPen) {
        if (qpen.isCosmetic()) {
            // Hairlines are drawn line by line, not through the rasteriser.
            painter_->strokePath(bounded ? p : boundedStroke(device, limit), qpen);
            return;
        }
        // A wide pen's outline is a fill; mapped from logical units, it keeps the pen's
        // shape under any mapping.
        QPainterPathStroker stroker(qpen);
        const QPainterPath outline = bounded ? toDevice.map(stroker.createStroke(p))
                                             : stroker.createStroke(boundedStroke(device, limit));
        if (!fillInStrips(outline, qpen.brush(), *painter_)) {
            painter_->setTransform(QTransform());
            painter_->fillPath(outline, qpen.brush());
        }
    }
}

QFont MetafilePainter::font(const DrawState& state, double pixelHeight) const
{
    const Font& f = state.font;
    QFont font(QString::fromStdString(f.face));
    font.setPixelSize(static_cast<int>(std::lround(std::clamp(pixelHeight, 1.0, 16384.0))));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 100, 900)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (f.face.empty())
        font.setStyleHint(QFont::SansSerif);
    return font;
}

void MetafilePainter::drawText(const TextRun& run, const DrawState& state)
{
    if (!prepare(state))
        return;
    const Matrix& m = state.toDevice;
    if (run.opaqueRect) {
        painter_->fillRect(QRectF(run.rect.x, run.rect.y, run.rect.w, run.rect.h), qcolor(state.backColor));
    }
    if (run.text.empty())
        return;
    if (run.clipRect) {
        painter_->save();
        painter_->setClipRect(QRectF(run.rect.x, run.rect.y, run.rect.w, run.rect.h), Qt::IntersectClip);
    }

    // Glyphs are drawn upright in device space whatever way the mapping turns the y axis.
    const double scaleX = std::hypot(m.m11, m.m12);
    const double scaleY = std::hypot(m.m21, m.m22);
    double height = std::abs(state.font.height) * scaleY;
    if (height < 0.5)
        height = state.font.height == 0 ? 16 : 0.5;
    QFont qf = font(state, height);
    if (state.font.height > 0) {
        // A positive height is the cell (ascent plus descent), not the em.
        const QFontMetricsF cell(qf);
        const double total = cell.ascent() + cell.descent();
        if (total > 0)
            qf.setPixelSize(static_cast<int>(std::lround(std::clamp(height * height / total, 1.0, 16384.0))));
    }
    if (state.font.width > 0) {
        const QFontMetricsF plain(qf);
        const double wanted = state.font.width * scaleX;
        if (plain.averageCharWidth() > 0)
            qf.setStretch(static_cast<int>(std::lround(std::clamp(100 * wanted / plain.averageCharWidth(), 1.0, 4000.0))));
    }
    const QFontMetricsF metrics(qf);
    const QString text = QString::fromUtf16(run.text.data(), static_cast<qsizetype>(run.text.size()));

    double width = 0;
    std::vector<double> offsets;
    if (!run.advances.empty()) {
        offsets.reserve(run.advances.size());
        for (const double a : run.advances) {
            offsets.push_back(width);
            width += a * scaleX;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }

    const PointF origin = m.map(run.reference);
    const double baseAngle = std::atan2(m.m12, m.m11) * 180 / std::numbers::pi;
    const double angle = baseAngle - state.font.escapement / 10;

    double x = 0;
    switch (state.textAlign & 6) {
    case kAlignRight: x = -width; break;
    case kAlignCenter: x = -width / 2; break;
    default: break;
    }
    double y = 0;
    if ((state.textAlign & kAlignBaseline) == kAlignBaseline)
        y = 0;
    else if (state.textAlign & kAlignBottom)
        y = -metrics.descent();
    else
        y = metrics.ascent();

    painter_->setTransform(QTransform().translate(origin.x, origin.y).rotate(angle));
    painter_->setCompositionMode(compositionFor(state.rop2));
    if (state.opaqueBackground)
        painter_->fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()), qcolor(state.backColor));
    painter_->setFont(qf);
    painter_->setPen(qcolor(ropColor(state.rop2, state.textColor)));
    if (offsets.empty()) {
        painter_->drawText(QPointF(x, y), text);
    } else {
        for (std::size_t i = 0; i < offsets.size() && i < static_cast<std::size_t>(text.size()); ++i)
            painter_->drawText(QPointF(x + offsets[i], y), text.mid(static_cast<qsizetype>(i), 1));
    }
    if (run.clipRect)
        painter_->restore();
}

void MetafilePainter::drawBitmap(const Bitmap& bitmap, const RectF& source, const RectF& dest,
    std::uint32_t rop, const DrawState& state)
{
    if (!prepare(state) || bitmap.pixels.empty() || source.w == 0 || source.h == 0)
        return;
    const QImage image(reinterpret_cast<const uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
        bitmap.width * 4, bitmap.hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    // Source rectangle onto the destination, then the logical mapping; negative sizes
    // mirror as they do on GDI.
    const QTransform place(dest.w / source.w, 0, 0, dest.h / source.h, dest.x - source.x * dest.w / source.w,
        dest.y - source.y * dest.h / source.h);
    painter_->setTransform(place * qtransform(state.toDevice));
    painter_->setCompositionMode(compositionForRop(rop));
    const QRectF src(source.x, source.y, source.w, source.h);
    painter_->drawImage(src.normalized(), image, src.normalized());
}

void MetafilePainter::fillRect(const RectF& dest, std::uint32_t rop, const DrawState& state)
{
    if (!prepare(state))
        return;
    const QRectF rect = QRectF(dest.x, dest.y, dest.w, dest.h).normalized();
    switch (rop >> 16) {
    case 0x00: painter_->fillRect(rect, Qt::black); break;  // BLACKNESS
    case 0xFF: painter_->fillRect(rect, Qt::white); break;  // WHITENESS
    case 0xAA: break;                                      // destination unchanged
    case 0x55:                                             // DSTINVERT
        painter_->setCompositionMode(QPainter::RasterOp_NotDestination);
        painter_->fillRect(rect, Qt::black);
        break;
    case 0x5A:                                             // PATINVERT
        painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_->fillRect(rect, brush(state));
        break;
    default: painter_->fillRect(rect, brush(state)); break;  // PATCOPY and the rest
    }
}

}  // namespace tessaron
