#include "metafile/metafile.h"

#include "metafile/player.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaron::metafile {

Matrix Matrix::followedBy(const Matrix& t) const
{
    Matrix r;
    r.m11 = m11 * t.m11 + m12 * t.m21;
    r.m12 = m11 * t.m12 + m12 * t.m22;
    r.m21 = m21 * t.m11 + m22 * t.m21;
    r.m22 = m21 * t.m12 + m22 * t.m22;
    r.dx = dx * t.m11 + dy * t.m21 + t.dx;
    r.dy = dx * t.m12 + dy * t.m22 + t.dy;
    return r;
}

void Path::moveTo(PointF p)
{
    ops_.push_back(Op::Move);
    figureStart_ = points_.size();
    points_.push_back(p);
}

void Path::lineTo(PointF p)
{
    if (points_.empty()) {
        moveTo(p);
        return;
    }
    ops_.push_back(Op::Line);
    points_.push_back(p);
}

void Path::cubicTo(PointF c1, PointF c2, PointF end)
{
    if (points_.empty())
        moveTo(c1);
    ops_.push_back(Op::Cubic);
    points_.push_back(c1);
    points_.push_back(c2);
    points_.push_back(end);
}

void Path::close()
{
    if (points_.empty() || ops_.back() == Op::Close)
        return;
    ops_.push_back(Op::Close);
    // After a close the current point is the figure's start again.
    const PointF start = points_[figureStart_];
    ops_.push_back(Op::Move);
    figureStart_ = points_.size();
    points_.push_back(start);
}

void Path::append(const Path& other)
{
    const std::size_t base = points_.size();
    ops_.insert(ops_.end(), other.ops_.begin(), other.ops_.end());
    points_.insert(points_.end(), other.points_.begin(), other.points_.end());
    figureStart_ = base + other.figureStart_;
}

void Path::clear()
{
    ops_.clear();
    points_.clear();
    figureStart_ = 0;
}

std::vector<RectF> rectanglesOf(const Path& path)
{
    // Each figure a move (after any others: a close leaves one), three lines and a close.
    const auto& ops = path.ops();
    const auto& pts = path.points();
    std::vector<RectF> rects;
    std::size_t op = 0, point = 0;
    while (op < ops.size()) {
        if (ops[op] != Path::Op::Move)
            return {};
        for (; op + 1 < ops.size() && ops[op + 1] == Path::Op::Move; ++op)
            ++point;
        if (op + 1 == ops.size())
            break;
        if (op + 5 > ops.size() || ops[op + 1] != Path::Op::Line || ops[op + 2] != Path::Op::Line
            || ops[op + 3] != Path::Op::Line || ops[op + 4] != Path::Op::Close)
            return {};
        const PointF a = pts[point], b = pts[point + 1], c = pts[point + 2], d = pts[point + 3];
        const bool across = a.y == b.y && b.x == c.x && c.y == d.y && d.x == a.x;
        const bool down = a.x == b.x && b.y == c.y && c.x == d.x && d.y == a.y;
        if (!across && !down)
            return {};
        rects.push_back({std::min(a.x, c.x), std::min(a.y, c.y), std::abs(c.x - a.x), std::abs(c.y - a.y)});
        op += 5;
        point += 4;
    }
    return rects;
}

bool looksLikeMetafile(std::span<const std::uint8_t> head)
{
    if (head.size() < 4)
        return false;
    const bool placeable = head[0] == 0xD7 && head[1] == 0xCD && head[2] == 0xC6 && head[3] == 0x9A;
    const bool standardWmf = (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 && head[3] == 0;
    const bool emf = head[0] == 1 && head[1] == 0 && head[2] == 0 && head[3] == 0;
    return placeable || standardWmf || emf;
}

std::uint64_t statedLength(std::span<const std::uint8_t> head)
{
    const Reader r(head);
    constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();
    if (!looksLikeMetafile(head))
        return kUnknown;
    if (r.u32(0) == 1)
        return r.has(48, 4) ? r.u32(48) : kUnknown;
    const std::size_t header = r.u32(0) == kPlaceableKey ? 22 : 0;
    // Some writers count the placeable header in the size and some do not; counting it
    // on top reads at most those 22 bytes more than the records.
    return r.has(header + 6, 4) ? header + std::uint64_t{r.u32(header + 6)} * 2 : kUnknown;
}

Size pictureSize(double widthTwips, double heightTwips, float twipsX, float twipsY)
{
    if (!(twipsX > 0) || !(twipsY > 0))
        malformed();
    double w = std::abs(widthTwips) / twipsX;
    double h = std::abs(heightTwips) / twipsY;
    if (!std::isfinite(w) || !std::isfinite(h) || w < 0.5 || h < 0.5)
        malformed();
    // Beyond some metres the size is a broken header, not a drawing.
    if (w > 16.0 * kMaxSide || h > 16.0 * kMaxSide)
        malformed();
    // A drawing that claims to be metres wide is still a drawing: it is shown at the
    // largest size the game allows rather than refused or allocated in full.
    double scale = std::min(1.0, std::min(kMaxSide / w, kMaxSide / h));
    scale = std::min(scale, std::sqrt(static_cast<double>(kMaxPixels) / (w * h)));
    // Scaled sizes round down so the caps hold exactly.
    w = std::max(1.0, scale < 1 ? std::floor(w * scale) : std::round(w));
    h = std::max(1.0, scale < 1 ? std::floor(h * scale) : std::round(h));
    return {static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

namespace {
bool isEmf(const Reader& file)
{
    return file.has(0, 4) && file.u32(0) == 1;
}

// The file as far as its header says it reaches.
Reader metafileIn(std::span<const std::uint8_t> data)
{
    if (!looksLikeMetafile(data))
        malformed();
    return Reader(data.first(static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), statedLength(data)))));
}
}  // namespace

Size naturalSize(std::span<const std::uint8_t> data, float twipsX, float twipsY)
{
    const Reader file = metafileIn(data);
    return isEmf(file) ? emfSize(file, twipsX, twipsY) : wmfSize(file, twipsX, twipsY);
}

void play(std::span<const std::uint8_t> data, float twipsX, float twipsY, MetafileCanvas& canvas, Spent* spent)
{
    const Reader file = metafileIn(data);
    Spent own;
    Spent& counted = spent ? *spent : own;
    if (isEmf(file))
        playEmf(file, twipsX, twipsY, canvas, counted);
    else
        playWmf(file, twipsX, twipsY, canvas, counted);
}

}  // namespace tessaron::metafile
