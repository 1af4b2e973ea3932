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

void ReducedRows::averageRow(const Pixel* row, std::int32_t width, Pixel* out) const
{
    for (std::int32_t first = 0; first < width; first += step, ++out) {
        const std::int32_t count = std::min(step, width - first);
        std::uint32_t r = 0, g = 0, b = 0;
        for (const Pixel* p = row + first; p != row + first + count; ++p) {
            r += *p >> 16 & 0xFF;
            g += *p >> 8 & 0xFF;
            b += *p & 0xFF;
        }
        const auto mean = [count](std::uint32_t sum) {
            return static_cast<int>((sum + static_cast<std::uint32_t>(count) / 2) / static_cast<std::uint32_t>(count));
        };
        *out = rgb(mean(r), mean(g), mean(b));
    }
}

}  // namespace tessaron
