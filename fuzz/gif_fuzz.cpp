// Feeds arbitrary bytes to the GIF frame reader, keeping the whole picture or only a
// corner of it as the loader does, then again reduced as for a preview, and reads every
// pixel it hands back.

#include "core/platform/gif_frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Every kept pixel is read, and nothing outside the kept `width` x `height` was written.
unsigned check(const std::vector<tessaron::Pixel>& pixels, std::ptrdiff_t stride, std::int32_t width, std::int32_t height)
{
    unsigned sink = 0;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            sink += pixels[static_cast<std::size_t>(y * stride + x)];
    for (std::int32_t y = 0; y < height; ++y)
        for (std::ptrdiff_t x = width; x < stride; ++x)
            if (pixels[static_cast<std::size_t>(y * stride + x)] != 0)
                __builtin_trap();  // written outside the kept part
    return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    const auto read = [&](std::uint8_t* into, std::size_t most) {
        // Short reads, as a pipe or a slow disk gives them.
        const std::size_t count = std::min({most, size - at, std::size_t{97}});
        std::memcpy(into, data + at, count);
        at += count;
        return count;
    };
    tessaron::GifFrame gif(read);
    if (!gif.readHeader() || gif.width() <= 0 || gif.height() <= 0)
        return 0;
    // The whole of a small picture, a corner of a large one.
    const bool whole = std::int64_t{gif.width()} * gif.height() <= (1 << 20);
    const std::int32_t keepWidth = whole ? gif.width() : std::min(gif.width(), 300);
    const std::int32_t keepHeight = whole ? gif.height() : std::min(gif.height(), 200);
    // A stride wider than the kept part, so a row written past its end shows.
    std::ptrdiff_t stride = keepWidth + 3;
    std::vector<tessaron::Pixel> pixels(static_cast<std::size_t>(stride) * keepHeight, 0);
    unsigned sink = 0;
    if (gif.readPixels(pixels.data(), stride, keepWidth, keepHeight, 0xFF123456u))
        sink += check(pixels, stride, keepWidth, keepHeight);

    // Reduced by a step that leaves at most about a megapixel.
    at = 0;
    tessaron::GifFrame again(read);
    if (!again.readHeader())
        __builtin_trap();  // the same bytes read differently
    tessaron::ReducedRows reduce{2 + static_cast<std::int32_t>(size % 5)};
    while (std::int64_t{reduce.reduced(again.width())} * reduce.reduced(again.height()) > (1 << 20))
        reduce.step *= 2;
    stride = reduce.reduced(again.width()) + 3;
    pixels.assign(static_cast<std::size_t>(stride) * reduce.reduced(again.height()), 0);
    if (again.readReduced(pixels.data(), stride, reduce, 0xFF123456u))
        sink += check(pixels, stride, reduce.reduced(again.width()), reduce.reduced(again.height()));
    return static_cast<int>(sink & 0);
}
