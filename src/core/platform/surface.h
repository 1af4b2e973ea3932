#pragma once
// A persistent drawing surface: 32-bit pixels that keep what was drawn on them until
// something draws over them. The window shows one through an image that wraps the same
// memory, and a refresh pushes only the area changed since the last refresh.

#include "core/platform/big_pages.h"

#include <cstdint>
#include <vector>

namespace tessaron {

using Pixel = std::uint32_t;  // 0xAARRGGBB, alpha always 0xFF

inline constexpr Pixel kBlack = 0xFF000000u;
inline constexpr Pixel kWhite = 0xFFFFFFFFu;

constexpr Pixel rgb(int r, int g, int b)
{
    return 0xFF000000u | (static_cast<Pixel>(r & 0xFF) << 16)
        | (static_cast<Pixel>(g & 0xFF) << 8) | static_cast<Pixel>(b & 0xFF);
}

struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;

    bool empty() const { return w <= 0 || h <= 0; }
    PixelRect united(const PixelRect& other) const;
    PixelRect intersected(const PixelRect& other) const;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The parts of a surface changed since the last refresh: a few rectangles, so that two
// small places far apart do not make the whole board between them repaint. Past a
// handful they are merged into one.
class Damage {
public:
    void add(const PixelRect& rect);
    bool empty() const { return rects_.empty(); }
    PixelRect bounds() const;
    const std::vector<PixelRect>& rects() const { return rects_; }

private:
    std::vector<PixelRect> rects_;
};

// No surface is larger: a window or picture area past it is no screen's, and a request for
// it is refused before any memory is taken.
inline constexpr std::int64_t kMaxSurfaceBytes = std::int64_t{1} << 30;

class Surface {
public:
    Surface() = default;
    Surface(std::int32_t width, std::int32_t height, Pixel fill = kWhite);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    const Pixel* data() const { return pixels_.data(); }
    Pixel* data() { return pixels_.data(); }
    Pixel* row(std::int32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const Pixel* row(std::int32_t y) const
    {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }

    Pixel pixel(std::int32_t x, std::int32_t y) const { return row(y)[x]; }
    void setPixel(std::int32_t x, std::int32_t y, Pixel colour);

    // New size; the content becomes the fill colour. Raises Out of memory for sizes past
    // kMaxSurfaceBytes or that the machine cannot hold rather than letting the allocation
    // fail somewhere else; the surface is then empty.
    void resize(std::int32_t width, std::int32_t height, Pixel fill = kWhite);
    // New size with no particular content, for a caller that draws every pixel next: a
    // picture copied in saves filling it first.
    void reshape(std::int32_t width, std::int32_t height);

    // The whole surface in one colour (a window's clear to its background colour).
    void clear(Pixel colour);

    // One-pixel lines with both end points included; clipped to the surface. Return the
    // pixels drawn; only pixels that actually changed count as damage, so redrawing a
    // grid over itself costs no repaint.
    PixelRect horizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y, Pixel colour);
    PixelRect verticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1, Pixel colour);

    // The area changed since the last call, then forgotten.
    Damage takeDamage();
    const Damage& damage() const { return damage_; }
    void addDamage(const PixelRect& rect) { damage_.add(rect); }

    PixelRect bounds() const { return {0, 0, width_, height_}; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<Pixel, BigPageAllocator<Pixel>> pixels_;
    Damage damage_;
};

// The two block transfers the board is drawn with. The rectangle of width x height
// pixels is clipped to both surfaces; a zero or negative size changes nothing. Each
// returns the destination area it changed.
//
// The destination rectangle at (dx, dy) receives the source rectangle at (sx, sy).
// Source and destination may be the same surface, even overlapping: the result is the
// source as it was before the copy.
PixelRect blockCopy(Surface& dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
    std::int32_t height, const Surface& src, std::int32_t sx, std::int32_t sy);

// The rectangle at (x, y) turns black.
PixelRect blackFill(Surface& dst, std::int32_t x, std::int32_t y, std::int32_t width,
    std::int32_t height);

}  // namespace tessaron
