// Feeds arbitrary bytes to the GIF frame reader, keeping the whole picture or only a
// corner of it as the loader does, and reads every pixel it hands back.

#include "core/platform/gif_frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    tessaron::GifFrame gif([&](std::uint8_t* into, std::size_t most) {
        // Short reads, as a pipe or a slow disk gives them.
        const std::size_t count = std::min({most, size - at, std::size_t{97}});
        std::memcpy(into, data + at, count);
        at += count;
        return count;
    });
    if (!gif.readHeader() || gif.width() <= 0 || gif.height() <= 0)
        return 0;
    // The whole of a small picture, a corner of a large one.
    const bool whole = std::int64_t{gif.width()} * gif.height() <= (1 << 20);
    const std::int32_t keepWidth = whole ? gif.width() : std::min(gif.width(), 300);
    const std::int32_t keepHeight = whole ? gif.height() : std::min(gif.height(), 200);
    // A stride wider than the kept part, so a row written past its end shows.
    const std::ptrdiff_t stride = keepWidth + 3;
    std::vector<tessaron::Pixel> pixels(static_cast<std::size_t>(stride) * keepHeight, 0);
    if (!gif.readPixels(pixels.data(), stride, keepWidth, keepHeight, 0xFF123456u))
        return 0;
    unsigned sink = 0;
    for (std::int32_t y = 0; y < keepHeight; ++y)
        for (std::int32_t x = 0; x < keepWidth; ++x)
            sink += pixels[static_cast<std::size_t>(y * stride + x)];
    for (std::int32_t y = 0; y < keepHeight; ++y)
        for (std::ptrdiff_t x = keepWidth; x < stride; ++x)
            if (pixels[static_cast<std::size_t>(y * stride + x)] != 0)
                __builtin_trap();  // written outside the kept part
    return static_cast<int>(sink & 0);
}
