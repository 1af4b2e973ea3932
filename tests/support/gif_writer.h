#pragma once
// GIFs made by the tests and the benchmarks, without Qt. Every pixel is written as a literal LZW code,
// with a clear code before the code size would grow: the longest stream those pixels can
// take, so a reader decodes each pixel the hard way. Written a piece at a time, so that a
// picture of 16384 x 16384 never has to be held whole.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tessaron::testing {

// The frame lies at `left`, `top` on the screen; `extensions` go between the screen and
// the frame (a graphic control block...); `background` is the palette index of the
// screen around the frame.
struct GifLayout {
    int screenWidth = 0, screenHeight = 0, left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::string extensions{};
    int background = 0;
};

// Writes the GIF to `sink` in pieces. `palette` holds up to 256 colours as 0xRRGGBB;
// `index(x, y)` is the frame's pixel at (x, y).
inline void writeGif(const GifLayout& gif, const std::vector<std::uint32_t>& palette,
    const std::function<std::uint8_t(int x, int y)>& index, const std::function<void(const std::string&)>& sink)
{
    std::string out("GIF89a");
    const auto u16 = [&out](std::initializer_list<int> values) { for (const int v : values) out.append(1, char(v)).append(1, char(v >> 8)); };
    u16({gif.screenWidth, gif.screenHeight});
    out.append(1, char(0xF7)).append(1, char(gif.background)).append(1, '\0');  // a global table of 256
    for (std::size_t i = 0; i < 256; ++i)  // black past the palette's end
        for (const int shift : {16, 8, 0})
            out.append(1, char((i < palette.size() ? palette[i] : 0) >> shift));
    out.append(gif.extensions).append(1, ',');
    u16({gif.left, gif.top, gif.width, gif.height});
    out.append(1, gif.interlaced ? '\x40' : '\0').append(1, '\x08');

    std::string block;
    std::uint32_t bits = 0, bitCount = 0;
    const auto code = [&](int value) {  // 9 bits: the table never grows past 511
        bits |= std::uint32_t(value) << bitCount;
        for (bitCount += 9; bitCount >= 8; bitCount -= 8, bits >>= 8) {
            if (block.append(1, char(bits & 0xFF)).size() < 255)
                continue;
            out.append(1, char(255)).append(std::exchange(block, {}));
            if (out.size() >= (1 << 20))
                sink(std::exchange(out, {}));
        }
    };
    constexpr int kClear = 256, kEnd = 257, kLiteralsPerClear = 250;
    int literals = 0;
    const auto rowsFrom = [&](int first, int step) {
        for (int y = first; y < gif.height; y += step)
            for (int x = 0; x < gif.width; ++x) {
                if (literals++ % kLiteralsPerClear == 0)
                    code(kClear);
                code(index(x, y));
            }
    };
    if (gif.interlaced)
        for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            rowsFrom(first, step);
    else
        rowsFrom(0, 1);
    code(kEnd);
    if (bitCount > 0)
        block.append(1, char(bits & 0xFF));
    if (!block.empty())
        out.append(1, char(block.size())).append(block);
    out.append(1, '\0').append(1, ';');
    sink(out);
}

// A palette of the 256 gray levels, index for level.
inline std::vector<std::uint32_t> grayPalette()
{
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        palette[i] = i * 0x010101u;
    return palette;
}

// The whole GIF in memory, for small pictures.
inline std::string gifBytes(const GifLayout& gif, const std::vector<std::uint32_t>& palette,
    const std::function<std::uint8_t(int x, int y)>& index)
{
    std::string all;
    writeGif(gif, palette, index, [&all](const std::string& piece) { all.append(piece); });
    return all;
}

}  // namespace tessaron::testing
