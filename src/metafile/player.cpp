#include "metafile/player.h"

#include "metafile/code_pages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace tessaron::metafile {

Player::Player(MetafileCanvas& canvas, std::int32_t width, std::int32_t height, Spent& spent)
    : width_(width), height_(height), canvas_(canvas), spent_(spent)
{
}

void Player::charge(double work)
{
    spent_.work += work;
    if (!(spent_.work <= kWorkLimit))
        malformed();
}

void Player::countRecord()
{
    if (++spent_.records > kMaxRecords)
        malformed();
    charge(kRecordWork);
}

Matrix Player::pageTransform(int mapMode) const
{
    // Window to viewport as the map mode says; the fixed modes count from the window
    // origin in their own units with y growing upwards.
    Matrix m;
    double sx = 1, sy = 1;
    const auto fixed = [&](double mmPerUnit) {
        sx = mmPerUnit * devicePerMm_.x;
        sy = -mmPerUnit * devicePerMm_.y;
    };
    switch (mapMode) {
    case 2: fixed(0.1); break;
    case 3: fixed(0.01); break;
    case 4: fixed(0.254); break;
    case 5: fixed(0.0254); break;
    case 6: fixed(25.4 / 1440); break;
    case 7:
    case 8: {
        const double wx = dc_.windowExt.x == 0 ? 1 : dc_.windowExt.x;
        const double wy = dc_.windowExt.y == 0 ? 1 : dc_.windowExt.y;
        sx = dc_.viewportExt.x / wx;
        sy = dc_.viewportExt.y / wy;
        if (mapMode == 7) {  // MM_ISOTROPIC keeps the units square
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    }
    default: break;
    }
    m.m11 = sx;
    m.m22 = sy;
    m.dx = dc_.viewportOrg.x - dc_.windowOrg.x * sx;
    m.dy = dc_.viewportOrg.y - dc_.windowOrg.y * sy;
    return m;
}

Matrix Player::toDevice() const
{
    return dc_.world.followedBy(pageToDevice()).followedBy(deviceToPicture_);
}

DrawState Player::state() const
{
    DrawState s;
    s.toDevice = toDevice();
    s.pen = dc_.pen;
    s.brush = dc_.brush;
    s.font = dc_.font;
    s.textColor = dc_.textColor;
    s.backColor = dc_.backColor;
    s.opaqueBackground = dc_.opaqueBackground;
    s.winding = dc_.winding;
    s.rop2 = dc_.rop2;
    s.textAlign = dc_.textAlign;
    s.clip = dc_.clip;
    return s;
}

double Player::shapeWork(const Path& path, const Matrix& m, double penWidth, bool fill, bool stroke,
    double* cellsCrossed, double* boxPixels) const
{
    // The box inside the picture stands for the pixels filled. An edge costs a cell in
    // each row it crosses and in each pixel it runs along within a row, and a rasteriser
    // keeps each row's cells sorted, which costs their square: a zigzag of a thousand
    // points across the picture is hundreds of times dearer than its box. A stroke costs
    // its length times its width; a wide one is filled as an outline of twice the edges,
    // with a join at every point.
    const double w = width_, h = height_;
    const auto& ops = path.ops();
    const auto& pts = path.points();
    std::vector<PointF> device;
    device.reserve(pts.size());
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const PointF& p : pts) {
        const PointF d = m.map(p);
        if (!std::isfinite(d.x) || !std::isfinite(d.y))
            badRecord();
        x0 = std::min(x0, d.x), y0 = std::min(y0, d.y), x1 = std::max(x1, d.x), y1 = std::max(y1, d.y);
        device.push_back({std::clamp(d.x, -w, 2 * w), std::clamp(d.y, -h, 2 * h)});
    }
    const double grow = penWidth / 2 + 1;
    const double top = std::clamp(std::floor(y0 - grow), 0.0, h), bottom = std::clamp(std::floor(y1 + grow) + 1, 0.0, h);
    // Cells per row, as steps from one row to the next, over the rows the shape covers.
    std::vector<double> steps(static_cast<std::size_t>(std::max(bottom - top, 0.0)) + 1, 0);
    double cells = 0, length = 0;
    const auto edge = [&](PointF a, PointF b) {
        length += std::hypot(b.x - a.x, b.y - a.y);
        const double r0 = std::clamp(std::floor(std::min(a.y, b.y)), top, bottom);
        const double r1 = std::clamp(std::floor(std::max(a.y, b.y)) + 1, top, bottom);
        if (r1 <= r0)
            return;
        // An edge along a row makes one cell; one that slants a little, one per pixel.
        const double perRow = a.y == b.y ? 1 : std::min(std::abs(b.x - a.x), w) / (r1 - r0) + 1;
        steps[static_cast<std::size_t>(r0 - top)] += perRow;
        steps[static_cast<std::size_t>(r1 - top)] -= perRow;
        cells += perRow * (r1 - r0);
    };
    // Edges through the points, curves through their control points; every figure
    // closed, as a fill closes it.
    std::size_t i = 0, start = 0;
    for (const Path::Op op : ops) {
        const std::size_t taken = op == Path::Op::Cubic ? 3 : op == Path::Op::Close ? 0 : 1;
        if (op == Path::Op::Move && i > start)
            edge(device[i - 1], device[start]);
        if (op == Path::Op::Move)
            start = i;
        for (std::size_t k = 0; k < taken; ++k, ++i) {
            if (op != Path::Op::Move)
                edge(device[i - 1], device[i]);
        }
    }
    if (i > start + 1)
        edge(device[i - 1], device[start]);
    if (cellsCrossed)
        *cellsCrossed = cells;
    double squares = 0, row = 0;
    for (std::size_t r = 0; r + 1 < steps.size(); ++r) {
        row += steps[r];
        squares += row * row;
    }

    const double area = std::max(std::min(x1 + grow, w) - std::max(x0 - grow, 0.0), 0.0) * (bottom - top);
    if (boxPixels)
        *boxPixels = area;
    const double points = static_cast<double>(pts.size());
    double work = kCallWork + points * kPointWork;
    if (fill)
        work += area * kFillPixelWork + cells * kCellWork + squares * kRowCellWork;
    if (stroke && penWidth <= 1)
        work += length * kHairlineWork;
    else if (stroke)
        work += length * (penWidth + 1) * kStrokePixelWork + (2 * cells + points * penWidth) * kCellWork
            + 2 * squares * kRowCellWork;
    return work;
}

double Player::areaOf(const RectF& logical) const
{
    const Matrix m = toDevice();
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const PointF corner : {PointF{logical.x, logical.y}, PointF{logical.x + logical.w, logical.y},
             PointF{logical.x, logical.y + logical.h}, PointF{logical.x + logical.w, logical.y + logical.h}}) {
        const PointF d = m.map(corner);
        if (!std::isfinite(d.x) || !std::isfinite(d.y))
            badRecord();
        x0 = std::min(x0, d.x), y0 = std::min(y0, d.y), x1 = std::max(x1, d.x), y1 = std::max(y1, d.y);
    }
    const double w = std::min(x1 + 1, double(width_)) - std::max(x0 - 1, 0.0);
    const double h = std::min(y1 + 1, double(height_)) - std::max(y0 - 1, 0.0);
    return w > 0 && h > 0 ? w * h : 0;
}

void Player::draw(const Path& logical, bool fill, bool stroke)
{
    if (logical.empty())
        return;
    if (inPath_) {
        charge(static_cast<double>(logical.points().size()) * kPointWork);
        const Matrix m = toDevice();
        Path mapped;
        std::size_t i = 0;
        for (const Path::Op op : logical.ops()) {
            switch (op) {
            case Path::Op::Move: mapped.moveTo(m.map(logical.points()[i++])); break;
            case Path::Op::Line: mapped.lineTo(m.map(logical.points()[i++])); break;
            case Path::Op::Cubic:
                mapped.cubicTo(m.map(logical.points()[i]), m.map(logical.points()[i + 1]),
                    m.map(logical.points()[i + 2]));
                i += 3;
                break;
            case Path::Op::Close: mapped.close(); break;
            }
        }
        path_.append(mapped);
        return;
    }
    const bool penShows = stroke && dc_.pen.style != Pen::Style::Null;
    const bool brushShows = fill && dc_.brush.style != Brush::Style::Null;
    if (!penShows && !brushShows)
        return;
    const Matrix m = toDevice();
    const double scale = std::sqrt(std::abs(m.determinant()));
    charge(shapeWork(logical, m, dc_.pen.cosmetic ? 1 : dc_.pen.width * scale, brushShows, penShows));
    if (brushShows)
        charge(patternWork(dc_.brush));
    canvas().drawPath(logical, state(), brushShows, penShows);
}

void Player::fillWithBrush(const Path& logical, const Brush& brush)
{
    if (logical.empty() || brush.style == Brush::Style::Null)
        return;
    charge(shapeWork(logical, toDevice(), 0, true, false) + patternWork(brush));
    DrawState s = state();
    s.brush = brush;
    canvas().drawPath(logical, s, true, false);
}

double Player::textWork(const TextRun& run)
{
    // A character of a size Qt caches is a copy of its glyph; a larger one is filled as
    // an outline. A face the canvas has not drawn with yet is looked for among all the
    // system's fonts, which an unknown name makes dear; a new size, weight, slant, width
    // or angle of a face makes new glyphs.
    const Matrix m = toDevice();
    const Font& f = dc_.font;
    const double px = f.height == 0 ? 16 : std::abs(f.height) * std::hypot(m.m21, m.m22);
    const double count = static_cast<double>(run.text.size());
    double glyph = kGlyphWork;
    if (px > kCachedGlyphSize)
        glyph += std::min(px * px, double(width_) * double(height_)) * kOutlineGlyphWork;
    double work = kTextWork + count * glyph;
    if (!run.advances.empty())
        work += count * kAdvanceWork;
    if (run.opaqueRect || run.clipRect)
        work += 2 * kCallWork + areaOf(run.rect) * kFillPixelWork;
    const double angle = std::atan2(m.m12, m.m11) * 1800 / std::numbers::pi - f.escapement;
    const std::string font = f.face + '\n' + std::to_string(std::lround(std::min(px, 1e6))) + ' '
        + std::to_string(f.weight) + ' ' + std::to_string(f.italic) + ' '
        + std::to_string(std::lround(std::min(std::abs(f.width * std::hypot(m.m11, m.m12)), 1e6))) + ' '
        + std::to_string(std::lround(std::fmod(angle, 3600)));
    if (facesUsed_.insert(f.face).second)
        work += kFaceWork;
    else if (fontsUsed_.insert(font).second)
        work += kFontWork;
    return work;
}

void Player::drawText(TextRun run)
{
    if (run.text.empty() && !run.opaqueRect)
        return;
    charge(textWork(run));
    canvas().drawText(run, state());
}

void Player::drawBitmap(const Bitmap& bitmap, const RectF& source, const RectF& dest, std::uint32_t rop)
{
    charge(kCallWork + (static_cast<double>(bitmap.pixels.size()) + areaOf(dest)) * kBitmapPixelWork);
    canvas().drawBitmap(bitmap, source, dest, rop, state());
}

void Player::patternFill(const RectF& dest, std::uint32_t rop)
{
    charge(kCallWork + areaOf(dest) * kFillPixelWork + patternWork(dc_.brush));
    canvas().fillRect(dest, rop, state());
}

void Player::beginPath()
{
    inPath_ = true;
    path_.clear();
}

void Player::endPath()
{
    inPath_ = false;
}

void Player::abortPath()
{
    inPath_ = false;
    path_.clear();
}

void Player::closeFigure()
{
    if (inPath_ && path_.hasCurrent())
        path_.close();
}

void Player::drawPathBracket(bool fill, bool stroke)
{
    // Filling an open bracket works on GDI as if it had been ended.
    if (inPath_)
        endPath();
    if (path_.empty()) {
        return;
    }
    DrawState s = state();
    const double scale = std::sqrt(std::abs(s.toDevice.determinant()));
    s.toDevice = Matrix{};
    if (!s.pen.cosmetic)
        s.pen.width *= scale;
    const bool penShows = stroke && s.pen.style != Pen::Style::Null;
    const bool brushShows = fill && s.brush.style != Brush::Style::Null;
    if (penShows || brushShows) {
        charge(shapeWork(path_, Matrix{}, s.pen.cosmetic ? 1 : s.pen.width, brushShows, penShows));
        if (brushShows)
            charge(patternWork(s.brush));
        canvas().drawPath(path_, s, brushShows, penShows);
    }
    path_.clear();
}

void Player::selectClipPath(int mode)
{
    if (inPath_)
        endPath();
    static constexpr std::array kinds{ClipStep::Kind::Intersect, ClipStep::Kind::Intersect,
        ClipStep::Kind::Unite, ClipStep::Kind::Xor, ClipStep::Kind::Exclude, ClipStep::Kind::Replace};
    if (mode >= 1 && mode <= 5 && !path_.empty())
        addClip(kinds[mode], path_, dc_.winding);
    path_.clear();
}

void Player::lineTo(PointF p)
{
    if (inPath_) {
        const Matrix m = toDevice();
        if (!path_.hasCurrent())
            path_.moveTo(m.map(dc_.position));
        path_.lineTo(m.map(p));
        dc_.position = p;
        return;
    }
    Path line;
    line.moveTo(dc_.position);
    line.lineTo(p);
    dc_.position = p;
    draw(line, false, true);
}

void Player::polyline(const std::vector<PointF>& points, bool fromCurrent)
{
    if (points.empty())
        return;
    Path p;
    if (fromCurrent) {
        if (inPath_ && path_.hasCurrent()) {
            const Matrix m = toDevice();
            charge(static_cast<double>(points.size()) * kPointWork);
            for (const PointF& q : points)
                path_.lineTo(m.map(q));
            dc_.position = points.back();
            return;
        }
        p.moveTo(dc_.position);
    } else {
        p.moveTo(points.front());
    }
    for (std::size_t i = fromCurrent ? 0 : 1; i < points.size(); ++i)
        p.lineTo(points[i]);
    if (fromCurrent)
        dc_.position = points.back();
    draw(p, false, true);
}

void Player::polyBezier(const std::vector<PointF>& points, bool fromCurrent)
{
    std::size_t i = 0;
    Path p;
    if (fromCurrent) {
        p.moveTo(dc_.position);
    } else {
        if (points.empty())
            return;
        p.moveTo(points[0]);
        i = 1;
    }
    for (; i + 3 <= points.size(); i += 3)
        p.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent && p.hasCurrent())
        dc_.position = p.points().back();
    if (fromCurrent && inPath_ && path_.hasCurrent()) {
        // Continue the current figure rather than start a new one.
        const Matrix m = toDevice();
        const auto& pts = p.points();
        charge(static_cast<double>(pts.size()) * kPointWork);
        for (std::size_t k = 1; k + 3 <= pts.size(); k += 3)
            path_.cubicTo(m.map(pts[k]), m.map(pts[k + 1]), m.map(pts[k + 2]));
        return;
    }
    draw(p, false, true);
}

void Player::addClip(ClipStep::Kind kind, Path devicePath, bool winding)
{
    std::vector<ClipStep> steps;
    if (kind != ClipStep::Kind::Replace && dc_.clip)
        steps = *dc_.clip;
    if (steps.size() >= kMaxClipSteps)
        malformed();
    steps.push_back({kind, std::move(devicePath), winding});
    dc_.clip = std::make_shared<const std::vector<ClipStep>>(std::move(steps));
    chargeClip();
}

double Player::patternWork(const Brush& brush)
{
    // A canvas may copy the pattern for every shape it fills with it.
    return brush.style == Brush::Style::Pattern && brush.pattern
        ? static_cast<double>(brush.pattern->pixels.size()) * kPatternPixelWork
        : 0;
}

void Player::chargeClip()
{
    // A canvas builds the clip again from all its steps whenever it changes: a few
    // rectangles are combined with what came before, rectangle by rectangle; anything
    // else is filled into a mask of its box, whose runs of pixels then combine with
    // what came before.
    if (!dc_.clip)
        return;
    double work = kCallWork, rects = 0;
    for (const ClipStep& step : *dc_.clip) {
        const std::vector<RectF> own = rectanglesOf(step.devicePath);
        double count = static_cast<double>(own.size());
        if (own.empty() || own.size() > kClipRectangles) {
            double cells = 0, box = 0;
            // Qt fills a mask of a byte a pixel at half the speed of the picture itself.
            work += 2 * shapeWork(step.devicePath, Matrix{}, 0, true, false, &cells, &box) + box * kMaskPixelWork;
            count = std::min(cells, box) / 2;  // a run of pixels between every two cells
        } else {
            work += count * count * kClipRectWork;
        }
        work += (rects + count) * kClipRectWork;
        rects += count;
    }
    charge(work);
}

void Player::resetClip()
{
    dc_.clip.reset();
}

namespace {
Path mappedRect(const Matrix& m, const RectF& r)
{
    Path p;
    p.moveTo(m.map({r.x, r.y}));
    p.lineTo(m.map({r.x + r.w, r.y}));
    p.lineTo(m.map({r.x + r.w, r.y + r.h}));
    p.lineTo(m.map({r.x, r.y + r.h}));
    p.close();
    return p;
}
}  // namespace

void Player::intersectClipRect(const RectF& logical)
{
    addClip(ClipStep::Kind::Intersect, mappedRect(toDevice(), logical));
}

void Player::excludeClipRect(const RectF& logical)
{
    addClip(ClipStep::Kind::Exclude, mappedRect(toDevice(), logical));
}

void Player::offsetClip(PointF logicalDelta)
{
    if (!dc_.clip)
        return;
    const Matrix m = toDevice();
    const PointF o = m.map({0, 0});
    const PointF d = m.map(logicalDelta);
    const double dx = d.x - o.x, dy = d.y - o.y;
    std::vector<ClipStep> steps = *dc_.clip;
    for (ClipStep& step : steps) {
        Path moved;
        std::size_t i = 0;
        const auto& pts = step.devicePath.points();
        for (const Path::Op op : step.devicePath.ops()) {
            const auto at = [&](std::size_t k) { return PointF{pts[k].x + dx, pts[k].y + dy}; };
            switch (op) {
            case Path::Op::Move: moved.moveTo(at(i++)); break;
            case Path::Op::Line: moved.lineTo(at(i++)); break;
            case Path::Op::Cubic: moved.cubicTo(at(i), at(i + 1), at(i + 2)); i += 3; break;
            case Path::Op::Close: moved.close(); break;
            }
        }
        step.devicePath = std::move(moved);
    }
    dc_.clip = std::make_shared<const std::vector<ClipStep>>(std::move(steps));
    chargeClip();
}

void Player::save()
{
    if (saved_.size() >= kMaxSaveDepth)
        malformed();
    saved_.push_back(dc_);
}

void Player::restore(int which)
{
    // Negative: relative to the top of the stack; positive: an absolute level (1 = first).
    std::size_t target;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
        if (back > saved_.size())
            return;
        target = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size())
            return;
        target = static_cast<std::size_t>(which) - 1;
    }
    const Clip before = dc_.clip;
    dc_ = std::move(saved_[target]);
    if (dc_.clip != before)
        chargeClip();
    saved_.resize(target);
}

Path Player::rectangle(double l, double t, double r, double b)
{
    Path p;
    p.moveTo({l, t});
    p.lineTo({r, t});
    p.lineTo({r, b});
    p.lineTo({l, b});
    p.close();
    return p;
}

void Player::appendArc(Path& path, PointF c, double rx, double ry, double start, double sweep, bool connect)
{
    // Angles in radians anticlockwise as seen with y growing downwards; cubic segments
    // of at most a quarter turn.
    const auto at = [&](double a) { return PointF{c.x + rx * std::cos(a), c.y - ry * std::sin(a)}; };
    const PointF first = at(start);
    if (connect && path.hasCurrent())
        path.lineTo(first);
    else
        path.moveTo(first);
    const int segments = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)), 1, 8);
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    double a = start;
    for (int i = 0; i < segments; ++i) {
        const double b = a + step;
        const PointF p0 = at(a), p3 = at(b);
        const PointF c1{p0.x - k * rx * std::sin(a), p0.y - k * ry * std::cos(a)};
        const PointF c2{p3.x + k * rx * std::sin(b), p3.y + k * ry * std::cos(b)};
        path.cubicTo(c1, c2, p3);
        a = b;
    }
}

Path Player::ellipse(double l, double t, double r, double b)
{
    Path p;
    appendArc(p, {(l + r) / 2, (t + b) / 2}, std::abs(r - l) / 2, std::abs(b - t) / 2, 0,
        2 * std::numbers::pi, false);
    p.close();
    return p;
}

Path Player::roundRect(double l, double t, double r, double b, double w, double h)
{
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    const double rx = std::min(std::abs(w) / 2, (r - l) / 2);
    const double ry = std::min(std::abs(h) / 2, (b - t) / 2);
    if (rx <= 0 || ry <= 0)
        return rectangle(l, t, r, b);
    constexpr double q = std::numbers::pi / 2;
    Path p;
    appendArc(p, {r - rx, t + ry}, rx, ry, 0, q, false);
    appendArc(p, {l + rx, t + ry}, rx, ry, q, q, true);
    appendArc(p, {l + rx, b - ry}, rx, ry, 2 * q, q, true);
    appendArc(p, {r - rx, b - ry}, rx, ry, 3 * q, q, true);
    p.close();
    return p;
}

Path Player::arc(double l, double t, double r, double b, PointF start, PointF end, ArcKind kind,
    bool continueFromCurrent) const
{
    const PointF c{(l + r) / 2, (t + b) / 2};
    const double rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
    Path p;
    if (rx <= 0 || ry <= 0)
        return p;
    const double a0 = std::atan2(-(start.y - c.y) / ry, (start.x - c.x) / rx);
    const double a1 = std::atan2(-(end.y - c.y) / ry, (end.x - c.x) / rx);
    double sweep = a1 - a0;
    if (dc_.clockwise) {
        while (sweep >= 0)
            sweep -= 2 * std::numbers::pi;
    } else {
        while (sweep <= 0)
            sweep += 2 * std::numbers::pi;
    }
    if (kind == ArcKind::Pie)
        p.moveTo(c);
    if (continueFromCurrent)
        p.moveTo(dc_.position);
    appendArc(p, c, rx, ry, a0, sweep, kind == ArcKind::Pie || continueFromCurrent);
    if (kind != ArcKind::Open)
        p.close();
    return p;
}

Pen Player::stockPen(int which)
{
    Pen pen;
    if (which == 6)
        pen.color = {255, 255, 255};
    else if (which == 8)
        pen.style = Pen::Style::Null;
    return pen;
}

Brush Player::stockBrush(int which)
{
    Brush brush;
    static constexpr std::array<std::uint8_t, 5> greys{255, 192, 128, 64, 0};
    if (which >= 0 && which <= 4)
        brush.color = {greys[which], greys[which], greys[which]};
    else
        brush.style = Brush::Style::Null;
    return brush;
}

std::optional<Bitmap> Player::decodeDib(const Reader& info, const Reader& bits, bool paletteIndices, bool keepAlpha)
{
    const std::uint32_t headerSize = info.u32(0);
    std::int64_t width, height;
    unsigned bitCount, compression = 0;
    std::uint32_t colorsUsed = 0;
    std::size_t paletteEntrySize = 4;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        width = info.u16(4);
        height = info.i16(6);
        bitCount = info.u16(10);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= info.size()) {
        width = info.i32(4);
        height = info.i32(8);
        bitCount = info.u16(14);
        compression = info.u32(16);
        colorsUsed = info.u32(32);
    } else {
        badRecord();
    }
    const bool topDown = height < 0;
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width * height > kMaxBitmapPixels)
        badRecord();
    if (compression != 0 && compression != 3)  // RLE, JPEG and PNG bits are not drawn
        return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        badRecord();

    std::size_t offset = headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (compression == 3) {
        if (bitCount != 16 && bitCount != 32)
            badRecord();
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = info.u32(40 + 4 * i);
        } else {
            for (int i = 0; i < 3; ++i)
                masks[i] = info.u32(offset + 4 * i);
            offset += 12;
        }
    } else if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    }

    std::vector<std::uint32_t> palette;
    if (bitCount <= 8) {
        const std::size_t maxColors = std::size_t{1} << bitCount;
        std::size_t count = colorsUsed == 0 ? maxColors : std::min<std::size_t>(colorsUsed, maxColors);
        if (colorsUsed > 0 && colorsUsed <= 65536 && colorsUsed > maxColors)
            count = maxColors;  // the rest of a long table is never indexed
        // A table cut short by the header's own size leaves the rest black, as GDI does.
        const std::size_t entry = paletteIndices ? 2 : paletteEntrySize;
        if (offset > info.size())
            badRecord();
        count = std::min(count, (info.size() - offset) / entry);
        palette.resize(maxColors, 0xFF000000u);
        for (std::size_t i = 0; i < count; ++i) {
            if (paletteIndices) {
                // Indices into a logical palette we do not keep: greys stand in.
                const std::uint32_t v = info.u16(offset + 2 * i) & 0xFF;
                palette[i] = 0xFF000000u | (v << 16) | (v << 8) | v;
            } else {
                const std::size_t e = offset + paletteEntrySize * i;
                palette[i] = 0xFF000000u | (std::uint32_t{info.u8(e + 2)} << 16)
                    | (std::uint32_t{info.u8(e + 1)} << 8) | info.u8(e);
            }
        }
    }

    const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    // The claimed picture must be there in full: a header cannot make us allocate more
    // than its own bits justify.
    const std::size_t needed = stride * static_cast<std::size_t>(height);
    if (!bits.has(0, needed))
        badRecord();

    Bitmap bmp;
    bmp.width = static_cast<std::int32_t>(width);
    bmp.height = static_cast<std::int32_t>(height);
    bmp.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const auto span = bits.bytes(0, needed);

    const auto channel = [](std::uint32_t value, std::uint32_t mask) -> std::uint32_t {
        if (mask == 0)
            return 0;
        int shift = 0;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift;
        }
        const std::uint32_t v = (value >> shift) & mask;
        return mask == 0 ? 0 : static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + mask / 2) / mask);
    };
    bool anyAlpha = false;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* row = span.data() + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride;
        std::uint32_t* out = bmp.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t px;
            switch (bitCount) {
            case 1: px = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: px = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
            case 8: px = palette[row[x]]; break;
            case 16: {
                const std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
                px = 0xFF000000u | (channel(v, masks[0]) << 16) | (channel(v, masks[1]) << 8) | channel(v, masks[2]);
                break;
            }
            case 24:
                px = 0xFF000000u | (std::uint32_t{row[3 * x + 2]} << 16) | (std::uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
                break;
            default: {
                const std::uint32_t v = std::uint32_t{row[4 * x]} | (std::uint32_t{row[4 * x + 1]} << 8)
                    | (std::uint32_t{row[4 * x + 2]} << 16) | (std::uint32_t{row[4 * x + 3]} << 24);
                if (compression == 3)
                    px = 0xFF000000u | (channel(v, masks[0]) << 16) | (channel(v, masks[1]) << 8) | channel(v, masks[2]);
                else
                    px = v;
                if ((v >> 24) != 0)
                    anyAlpha = true;
                break;
            }
            }
            out[x] = px;
        }
    }
    if (bitCount == 32 && compression == 0) {
        // Block transfers ignore the fourth byte; only an alpha blend reads it, as
        // premultiplied alpha, and only when somebody set it.
        if (keepAlpha && anyAlpha) {
            bmp.hasAlpha = true;
            for (std::uint32_t& px : bmp.pixels) {
                const std::uint32_t a = px >> 24;
                const auto clamp = [a](std::uint32_t c) { return std::min(c, a); };
                px = (a << 24) | (clamp((px >> 16) & 0xFF) << 16) | (clamp((px >> 8) & 0xFF) << 8) | clamp(px & 0xFF);
            }
        } else {
            for (std::uint32_t& px : bmp.pixels)
                px |= 0xFF000000u;
        }
    }
    return bmp;
}

namespace {

// Windows-1252 from 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High{0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};

}  // namespace

std::u16string Player::decodeAnsi(std::span<const std::uint8_t> bytes, std::uint8_t charset)
{
    const CodePage* page = nullptr;
    for (const CodePage& p : kCodePages) {
        if (p.charset == charset)
            page = &p;
    }
    std::u16string text;
    text.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        if (b < 0x80) {
            text.push_back(b);
            continue;
        }
        if (charset == 2) {  // SYMBOL: the font's own private-use area
            text.push_back(static_cast<char16_t>(0xF000 + b));
            continue;
        }
        if (page)
            text.push_back(page->high[b - 0x80]);
        else  // ANSI, DEFAULT and the rest: Windows-1252
            text.push_back(b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return text;
}

std::string Player::toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace tessaron::metafile
