#include "core/platform/reduced_rows.h"

#include <algorithm>

namespace tessaron {

ReducedRows ReducedRows::toCover(std::int32_t width, std::int32_t height, std::int32_t boxWidth,
    std::int32_t boxHeight)
{
    // Four reduced pixels to every pixel of the box each way leave each of the box's
    // pixels sixteen samples to average when the picture is scaled smoothly to it.
    constexpr std::int64_t kOversample = 4;
    if (boxWidth <= 0 || boxHeight <= 0)
        return {};
    const std::int64_t step = std::min(width / (kOversample * boxWidth), height / (kOversample * boxHeight));
    return {static_cast<std::int32_t>(std::max<std::int64_t>(step, 1))};
}

std::int32_t ReducedRows::sourceRow(std::int32_t row, std::int32_t height) const
{
    const std::int32_t first = row * step;
    return first + (std::min(step, height - first) - 1) / 2;
}

namespace {

// Rounded means. Three divisions a reduced pixel would cost more than summing its pixels:
// each is a multiplication by the divisor's inverse instead, exact for every sum below
// 2^40 / divisor, as is any sum of at most 255 for each of fewer than 65536 parts.
struct Divide {
    explicit Divide(std::uint32_t divisor) : by(divisor), half(divisor / 2), inverse((std::uint64_t{1} << 40) / divisor + 1) {}
    int operator()(std::uint64_t sum) const
    {
        return static_cast<int>(by < 65536 ? ((sum + half) * inverse) >> 40 : (sum + half) / by);
    }
    std::uint32_t by;
    std::uint32_t half;
    std::uint64_t inverse;
};

// The sums of red, green and blue of `count` pixels. Red and blue are summed side by side
// in one word and green in another, as 256 pixels of 255 still fit their 16 bits each.
struct Sums {
    std::uint64_t r = 0, g = 0, b = 0;

    void add(const Pixel* p, std::int32_t count)
    {
        while (count > 0) {
            const std::int32_t part = std::min(count, 256);
            std::uint32_t redBlue = 0, green = 0;
            for (const Pixel* end = p + part; p != end; ++p) {
                redBlue += *p & 0xFF00FF;
                green += *p & 0xFF00;
            }
            r += redBlue >> 16;
            g += green >> 8;
            b += redBlue & 0xFFFF;
            count -= part;
        }
    }
    void add(Pixel p, std::uint64_t weight)
    {
        r += (p >> 16 & 0xFF) * weight;
        g += (p >> 8 & 0xFF) * weight;
        b += (p & 0xFF) * weight;
    }
    void scale(std::uint64_t by) { r *= by, g *= by, b *= by; }
    Pixel mean(const Divide& divide) const { return rgb(divide(r), divide(g), divide(b)); }
};

}  // namespace

void ReducedRows::averageRow(const Pixel* row, std::int32_t width, Pixel* out) const
{
    if (columns > 0 && columns < width) {
        // Measured in 1/columns of a pixel, column c covers [c * width, (c + 1) * width):
        // the pixels wholly under it at full weight, the ones at its edges for their share.
        const Divide divide(static_cast<std::uint32_t>(width));
        const std::int64_t n = columns;
        for (std::int64_t c = 0, from = 0; c < n; ++c, from += width) {
            const std::int64_t to = from + width;
            std::int64_t first = (from + n - 1) / n, last = to / n;  // the whole pixels: [first, last)
            Sums sums;
            sums.add(row + first, static_cast<std::int32_t>(last - first));
            sums.scale(static_cast<std::uint64_t>(n));
            if (first * n > from)
                sums.add(row[first - 1], static_cast<std::uint64_t>(first * n - from));
            if (last * n < to)
                sums.add(row[last], static_cast<std::uint64_t>(to - last * n));
            out[c] = sums.mean(divide);
        }
        return;
    }
    const Divide full(static_cast<std::uint32_t>(step));
    for (std::int32_t first = 0; first < width; first += step, ++out) {
        const std::int32_t count = std::min(step, width - first);
        Sums sums;
        sums.add(row + first, count);
        *out = sums.mean(count == step ? full : Divide(static_cast<std::uint32_t>(count)));
    }
}

}  // namespace tessaron
