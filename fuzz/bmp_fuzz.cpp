// Feeds arbitrary bytes to the BMP readers: the layout from the headers, and the run-length
// decoder of a picture whose size and kept part the first bytes choose, keeping every
// other row as a cut to the screen or a preview keeps some. Every kept byte is read, and
// nothing is written outside the kept rows and columns.

#include "core/platform/bmp_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)tessaron::bmpLayout(std::span(data, std::min<std::size_t>(size, 78)));
    if (size < 6)
        return 0;
    const std::int64_t width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const std::int64_t columns = 1 + data[2] % width;
    const bool fourBits = data[3] & 1;
    std::size_t at = 4;
    const auto read = [&](std::uint8_t* into, std::size_t most) {
        // Short reads, as a pipe or a slow disk gives them.
        const std::size_t count = std::min({most, size - at, std::size_t{53}});
        std::memcpy(into, data + at, count);
        at += count;
        return count;
    };
    // A spare byte after each kept row must stay untouched.
    std::vector<std::uint8_t> kept(static_cast<std::size_t>(height * (columns + 1)), 0xEE);
    tessaron::decodeRle(read, width, height, fourBits, columns, [&](std::int64_t y) -> std::uint8_t* {
        if (y < 0 || y >= height)
            __builtin_trap();
        return y % 2 == 0 ? kept.data() + y * (columns + 1) : nullptr;
    });
    unsigned sink = 0;
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < columns; ++x)
            sink += kept[static_cast<std::size_t>(y * (columns + 1) + x)];
        if (kept[static_cast<std::size_t>(y * (columns + 1) + columns)] != 0xEE || (y % 2 == 1 && kept[static_cast<std::size_t>(y * (columns + 1))] != 0xEE))
            __builtin_trap();  // written outside the kept part
    }
    at = 4;
    (void)tessaron::rleStreamBytes(read, height, fourBits);
    return static_cast<int>(sink & 0);
}
