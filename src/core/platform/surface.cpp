#include "core/platform/surface.h"

#include "core/platform/runtime_error.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tessaron {

PixelRect PixelRect::united(const PixelRect& other) const
{
    if (other.empty())
        return *this;
    if (empty())
        return other;
    const std::int32_t left = std::min(x, other.x);
    const std::int32_t top = std::min(y, other.y);
    const std::int32_t right = std::max(x + w, other.x + other.w);
    const std::int32_t bottom = std::max(y + h, other.y + other.h);
    return {left, top, right - left, bottom - top};
}

PixelRect PixelRect::intersected(const PixelRect& other) const
{
    const std::int32_t left = std::max(x, other.x);
    const std::int32_t top = std::max(y, other.y);
    const std::int32_t right = std::min(x + w, other.x + other.w);
    const std::int32_t bottom = std::min(y + h, other.y + other.h);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

void Damage::add(const PixelRect& rect)
{
    if (rect.empty())
        return;
    // A change touching one already known joins it: the grid lines along a moved place's
    // edges belong with the place.
    const PixelRect grown{rect.x - 1, rect.y - 1, rect.w + 2, rect.h + 2};
    for (PixelRect& known : rects_) {
        if (!known.intersected(grown).empty()) {
            known = known.united(rect);
            return;
        }
    }
    constexpr std::size_t kMostRects = 8;
    if (rects_.size() == kMostRects) {
        const PixelRect all = bounds().united(rect);
        rects_.assign(1, all);
        return;
    }
    rects_.push_back(rect);
}

PixelRect Damage::bounds() const
{
    PixelRect all;
    for (const PixelRect& rect : rects_)
        all = all.united(rect);
    return all;
}

Surface::Surface(std::int32_t width, std::int32_t height, Pixel fill)
{
    resize(width, height, fill);
}

void Surface::resize(std::int32_t width, std::int32_t height, Pixel fill)
{
    reshape(width, height);
    std::fill(pixels_.begin(), pixels_.end(), fill);
}

void Surface::reshape(std::int32_t width, std::int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const auto refuse = [this] {
        // Never a size without the pixels to match.
        pixels_ = {};
        width_ = height_ = 0;
        damage_ = {};
        throw RuntimeError(err::OutOfMemory);
    };
    if (count > static_cast<std::size_t>(kMaxSurfaceBytes) / sizeof(Pixel))
        refuse();
    try {
        // Emptied first, so that growing copies none of the old pixels.
        if (count != pixels_.size())
            pixels_.clear();
        pixels_.resize(count);
    } catch (const std::bad_alloc&) {
        refuse();
    } catch (const std::length_error&) {
        refuse();
    }
    width_ = width;
    height_ = height;
    damage_ = {};
    damage_.add(bounds());
}

void Surface::setPixel(std::int32_t x, std::int32_t y, Pixel colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    row(y)[x] = colour;
    addDamage({x, y, 1, 1});
}

void Surface::clear(Pixel colour)
{
    std::fill(pixels_.begin(), pixels_.end(), colour);
    addDamage(bounds());
}

PixelRect Surface::horizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y, Pixel colour)
{
    if (x1 < x0)
        std::swap(x0, x1);
    const PixelRect line = PixelRect{x0, y, x1 - x0 + 1, 1}.intersected(bounds());
    if (line.empty())
        return {};
    Pixel* pixels = row(line.y);
    // Each run of changed pixels is damage of its own: the pieces of a line redrawn over
    // two moved places far apart must not join them into one big repaint.
    std::int32_t runStart = -1;
    for (std::int32_t x = line.x; x <= line.x + line.w; ++x) {
        const bool changes = x < line.x + line.w && pixels[x] != colour;
        if (changes) {
            pixels[x] = colour;
            if (runStart < 0)
                runStart = x;
        } else if (runStart >= 0) {
            addDamage({runStart, line.y, x - runStart, 1});
            runStart = -1;
        }
    }
    return line;
}

PixelRect Surface::verticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1, Pixel colour)
{
    if (y1 < y0)
        std::swap(y0, y1);
    const PixelRect line = PixelRect{x, y0, 1, y1 - y0 + 1}.intersected(bounds());
    if (line.empty())
        return {};
    std::int32_t runStart = -1;
    for (std::int32_t y = line.y; y <= line.y + line.h; ++y) {
        const bool changes = y < line.y + line.h && row(y)[line.x] != colour;
        if (changes) {
            row(y)[line.x] = colour;
            if (runStart < 0)
                runStart = y;
        } else if (runStart >= 0) {
            addDamage({line.x, runStart, 1, y - runStart});
            runStart = -1;
        }
    }
    return line;
}

Damage Surface::takeDamage()
{
    Damage taken = std::move(damage_);
    damage_ = {};
    return taken;
}

namespace {

// Shrinks a transfer so that both its destination and its source lie inside their
// surfaces, moving both origins together. Returns false when nothing is left.
bool clipTransfer(std::int32_t& dx, std::int32_t& dy, std::int32_t& w, std::int32_t& h,
    std::int32_t& sx, std::int32_t& sy, const Surface& dst, const Surface* src)
{
    if (w <= 0 || h <= 0)
        return false;
    auto clipAxis = [](std::int32_t& d, std::int32_t& s, std::int32_t& size, std::int32_t dLimit,
                        std::int32_t sLimit) {
        // 64-bit: the game's coordinates are 32-bit, their sums need not be.
        std::int64_t d0 = d, s0 = s, n = size;
        const std::int64_t shift = std::max<std::int64_t>({0, -d0, -s0});
        d0 += shift;
        s0 += shift;
        n -= shift;
        n = std::min({n, dLimit - d0, sLimit - s0});
        if (n <= 0)
            return false;
        d = static_cast<std::int32_t>(d0);
        s = static_cast<std::int32_t>(s0);
        size = static_cast<std::int32_t>(n);
        return true;
    };
    const std::int32_t srcW = src ? src->width() : dst.width();
    const std::int32_t srcH = src ? src->height() : dst.height();
    return clipAxis(dx, sx, w, dst.width(), srcW) && clipAxis(dy, sy, h, dst.height(), srcH);
}

}  // namespace

PixelRect blockCopy(Surface& dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
    std::int32_t height, const Surface& src, std::int32_t sx, std::int32_t sy)
{
    if (!clipTransfer(dx, dy, width, height, sx, sy, dst, &src))
        return {};
    const auto bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
    // Within one surface a downward move must copy bottom rows first, or it would read
    // rows it has already overwritten. A row can only overlap itself when it stays on the
    // same line, and then memmove takes care of it.
    const bool bottomUp = &src == &dst && dy > sy;
    const bool rowsMayOverlap = &src == &dst && dy == sy && dx < sx + width && sx < dx + width;
    for (std::int32_t n = 0; n < height; ++n) {
        const std::int32_t i = bottomUp ? height - 1 - n : n;
        if (rowsMayOverlap)
            std::memmove(dst.row(dy + i) + dx, src.row(sy + i) + sx, bytes);
        else
            std::memcpy(dst.row(dy + i) + dx, src.row(sy + i) + sx, bytes);
    }
    const PixelRect changed{dx, dy, width, height};
    dst.addDamage(changed);
    return changed;
}

PixelRect blackFill(Surface& dst, std::int32_t x, std::int32_t y, std::int32_t width,
    std::int32_t height)
{
    std::int32_t sx = x, sy = y;
    if (!clipTransfer(x, y, width, height, sx, sy, dst, nullptr))
        return {};
    for (std::int32_t i = 0; i < height; ++i)
        std::fill_n(dst.row(y + i) + x, width, kBlack);
    const PixelRect changed{x, y, width, height};
    dst.addDamage(changed);
    return changed;
}

}  // namespace tessaron
