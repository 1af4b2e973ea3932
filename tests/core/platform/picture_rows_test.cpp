// The rows of pictures read without Qt: a GIF read reduced for a preview averages the
// columns of one row in each block, keeps the screen around its frame and shows what
// arrived of a file cut short; a run-length BMP stream ends where its picture does and
// paints what its codes say.

#include "core/platform/bmp_rows.h"
#include "core/platform/gif_frame.h"
#include "core/platform/reduced_rows.h"
#include "support/gif_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tessaron {
namespace {

// Reads from `bytes` a few at a time, as a slow device gives them.
ReadBytes reader(const std::string& bytes)
{
    return [&bytes, at = std::size_t{0}](std::uint8_t* into, std::size_t most) mutable {
        const std::size_t count = std::min({most, bytes.size() - at, std::size_t{5}});
        std::memcpy(into, bytes.data() + at, count);
        at += count;
        return count;
    };
}

// A 12 x 6 screen in gray levels, reduced by 3 to 4 x 2 from its rows 1 and 4: each
// reduced pixel the mean of three columns of those rows. The level of screen pixel
// (x, y) is 10 y + x wherever the frame covers it; the screen around it is white.
TEST(PictureRows, GifReducedAveragesAColumnBlockOfOneRowInEachAndShowsWhatArrived)
{
    constexpr int kWhite = 255;
    const auto gif = [](int left, int top, int width, int height) {
        return testing::gifBytes({.screenWidth = 12, .screenHeight = 6, .left = left, .top = top, .width = width,
            .height = height, .background = kWhite}, testing::grayPalette(),
            [=](int x, int y) { return std::uint8_t(10 * (y + top) + x + left); });
    };
    // Header, palette, frame and code size take 793 bytes; then each pixel takes 9 bits,
    // after a clear code: 62 bytes bring 54 pixels, rows 0 to 3 and half of row 4.
    const std::string whole = gif(0, 0, 12, 6), cut = whole.substr(0, 793 + 62);
    const struct { const char* name; std::string bytes; int levels[2][4]; } cases[] = {
        {"whole frame", whole, {{11, 14, 17, 20}, {41, 44, 47, 50}}},
        {"frame inside the screen", gif(3, 3, 6, 3), {{kWhite, kWhite, kWhite, kWhite}, {kWhite, 44, 47, kWhite}}},
        {"cut in row 4", cut, {{11, 14, 17, 20}, {41, 44, kWhite, kWhite}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GifFrame frame(reader(c.bytes));
        ASSERT_TRUE(frame.readHeader());
        std::vector<Pixel> pixels(2 * 5, 0), expected;  // a column to spare, which stays untouched
        ASSERT_TRUE(frame.readReduced(pixels.data(), 5, ReducedRows{3}, kBlack));
        for (const auto& row : c.levels)
            for (const int level : {row[0], row[1], row[2], row[3], -1})
                expected.push_back(level < 0 ? 0 : rgb(level, level, level));
        EXPECT_EQ(pixels, expected);
    }
}

// A row averaged to fewer columns than a step's blocks would give: each column the exact
// mean of the pixels under it, those at its edges for the part of them it covers.
TEST(PictureRows, RowAveragedToColumnsWeighsThePixelsAtTheirEdgesByTheirShare)
{
    std::vector<Pixel> row;
    for (int level = 0; level < 100; level += 10)
        row.push_back(rgb(level, 2 * level, 255 - level));
    const struct { int columns; std::vector<Pixel> expected; } cases[] = {
        {4, {rgb(8, 16, 247), rgb(32, 64, 223), rgb(58, 116, 197), rgb(82, 164, 173)}},  // 2.5 pixels each
        {3, {rgb(12, 24, 243), rgb(45, 90, 210), rgb(78, 156, 177)}},                    // 3 1/3 pixels each
        {1, {rgb(45, 90, 210)}},
    };
    for (const auto& c : cases) {
        const ReducedRows reduce{.step = 2, .columns = c.columns};
        std::vector<Pixel> out(c.expected.size() + 1, 0);  // a pixel to spare, which stays untouched
        reduce.averageRow(row.data(), 10, out.data());
        EXPECT_EQ(out.back(), 0u);
        out.pop_back();
        EXPECT_EQ(out, c.expected) << c.columns << " columns";
        EXPECT_EQ(reduce.reducedWidth(10), c.columns);
    }
    // Means round to the nearest level: 2/3, 5/3 and 8/3 to 1, 2 and 3.
    const Pixel thirds[] = {kBlack, kBlack, rgb(2, 5, 8)};
    Pixel mean = 0;
    ReducedRows{3}.averageRow(thirds, 3, &mean);
    EXPECT_EQ(mean, rgb(1, 2, 3));
}

// A run-length stream of a 4 x 2 picture stored bottom row first: the bytes it takes, up
// to its end mark, the code that ends its last row or a jump past it, 0 when it is cut
// short; and where its runs, literals, row ends and jumps paint, shown top row first, 9
// where nothing is painted.
TEST(PictureRows, RunLengthStreamEndsWhereItsPictureDoesAndPaintsWhatItsCodesSay)
{
    const struct { const char* name; std::string stream; bool fourBits; std::int64_t bytes; std::string picture; } cases[] = {
        {"runs, each row ended, then what is no part of it", std::string("\2\5\2\6\0\0\4\7\0\0\7\7", 12), false, 10, "7777" "5566"},
        {"a run cut at the row's end, the end mark early", std::string("\6\5\0\0\1\3\0\1", 8), false, 8, "3999" "5555"},
        {"literals padded to a word", std::string("\0\3\1\2\3\0\1\4\0\1", 10), false, 10, "9999" "1234"},
        {"a jump right and a row on", std::string("\1\4\0\2\2\1\1\x08\0\1", 10), false, 10, "9998" "4999"},
        {"a jump down past the last row", std::string("\1\4\0\2\0\2\7\7", 8), false, 6, "9999" "4999"},
        {"runs of two nibbles in turn", std::string("\3\x12\0\0\4\x34\0\1", 8), true, 8, "3434" "1219"},
        {"three literal nibbles", std::string("\0\3\x56\x70\0\0\0\1", 8), true, 8, "9999" "5679"},
        {"five literal nibbles in three bytes and a pad", std::string("\0\5\x12\x34\0\0\0\0\0\0", 10), true, 10, "9999" "1234"},
        {"cut inside literal pixels", std::string("\0\6\1\2\3", 5), false, 0, "9999" "1239"},
        {"runs that never end a row", std::string("\5\1\5\1", 4), false, 0, "9999" "1111"},
        {"cut after a jump within the picture", std::string("\0\2\1\1\2\3", 6), false, 0, "9339" "9999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rleStreamBytes(reader(c.stream), 2, c.fourBits), c.bytes);
        std::string picture(8, '\x09');
        decodeRle(reader(c.stream), 4, 2, c.fourBits, 4,
            [&](std::int64_t y) { return reinterpret_cast<std::uint8_t*>(picture.data()) + 4 * y; });
        for (char& index : picture)
            index = char('0' + index);
        EXPECT_EQ(picture, c.picture);
    }
}

}  // namespace
}  // namespace tessaron
