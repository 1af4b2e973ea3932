#include "core/platform/bmp_rows.h"

#include <algorithm>
#include <cstdlib>

namespace tessaron {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16
        | std::uint32_t{b[at + 3]} << 24;
}

std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8;
}

}  // namespace

std::optional<PlainBmp> plainBmp(std::span<const std::uint8_t> head, std::int64_t fileSize)
{
    if (head.size() < kFileHeader + kInfoHeader || head[0] != 'B' || head[1] != 'M')
        return std::nullopt;
    // Only the plain info header: the later ones may carry an alpha mask or colour
    // spaces, which the general decoder interprets.
    if (le32(head, kFileHeader) != kInfoHeader)
        return std::nullopt;
    const std::int64_t width = static_cast<std::int32_t>(le32(head, 18));
    const std::int64_t height = static_cast<std::int32_t>(le32(head, 22));
    const std::uint32_t planes = le16(head, 26);
    const std::uint32_t bits = le16(head, 28);
    const std::uint32_t compression = le32(head, 30);
    if (planes != 1 || compression != 0 || (bits != 24 && bits != 32) || width <= 0 || height == 0)
        return std::nullopt;
    PlainBmp bmp;
    bmp.width = static_cast<std::int32_t>(width);
    bmp.height = static_cast<std::int32_t>(std::abs(height));
    bmp.topDown = height < 0;
    bmp.bytesPerPixel = static_cast<std::int32_t>(bits / 8);
    bmp.stride = (width * bits + 31) / 32 * 4;
    // A stated offset inside the headers means the pixels follow them.
    bmp.pixelOffset = std::max<std::int64_t>(le32(head, 10), kFileHeader + kInfoHeader);
    if (bmp.pixelOffset + bmp.stride * bmp.height > fileSize)
        return std::nullopt;
    return bmp;
}

void bmpRowToPixels(const PlainBmp& bmp, const std::uint8_t* stored, Pixel* out, std::int32_t count)
{
    const std::int32_t step = bmp.bytesPerPixel;
    for (std::int32_t x = 0; x < count; ++x, stored += step)
        out[x] = rgb(stored[2], stored[1], stored[0]);
}

}  // namespace tessaron
