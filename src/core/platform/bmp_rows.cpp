#include "core/platform/bmp_rows.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tessaron {
namespace {

constexpr std::size_t kFileHeader = 14;

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at)
{
    if (at + 4 > b.size())
        return 0;
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16
        | std::uint32_t{b[at + 3]} << 24;
}

std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at)
{
    if (at + 2 > b.size())
        return 0;
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8;
}

}  // namespace

std::optional<BmpLayout> bmpLayout(std::span<const std::uint8_t> head)
{
    BmpLayout bmp;
    bmp.headerSize = static_cast<std::int32_t>(le32(head, kFileHeader));
    std::int64_t colours = 0, entry = 4, masks = 0;
    if (bmp.headerSize == 12) {  // OS/2 1.x
        bmp.width = le16(head, 18);
        bmp.height = static_cast<std::int16_t>(le16(head, 20));
        bmp.planes = static_cast<std::int32_t>(le16(head, 22));
        bmp.bits = static_cast<std::int32_t>(le16(head, 24));
        entry = 3;
    } else if (bmp.headerSize >= 40) {
        bmp.width = static_cast<std::int32_t>(le32(head, 18));
        bmp.height = static_cast<std::int32_t>(le32(head, 22));
        bmp.planes = static_cast<std::int32_t>(le16(head, 26));
        bmp.bits = static_cast<std::int32_t>(le16(head, 28));
        bmp.compression = le32(head, 30);
        colours = le32(head, 46);
        if (bmp.headerSize == 40 && (bmp.compression == 3 || bmp.compression == 6))
            masks = bmp.compression == 3 ? 12 : 16;
    } else {
        return std::nullopt;
    }
    bmp.topDown = bmp.height < 0;
    bmp.height = std::abs(bmp.height);
    if (bmp.bits <= 8 && colours == 0)
        colours = std::int64_t{1} << bmp.bits;
    if (colours > 256)
        return std::nullopt;
    bmp.headerEnd = static_cast<std::int64_t>(kFileHeader) + bmp.headerSize + masks + colours * entry;
    // The stated offset counts when it lies beyond the palette; else the pixels follow it.
    bmp.pixelOffset = std::max<std::int64_t>(le32(head, 10), bmp.headerEnd);
    bmp.statedSize = le32(head, 2);
    return bmp;
}

void bmpRowToPixels(const BmpLayout& bmp, const std::uint8_t* stored, Pixel* out, std::int32_t count)
{
    const std::int32_t step = bmp.bits / 8;
    for (std::int32_t x = 0; x < count; ++x, stored += step)
        out[x] = rgb(stored[2], stored[1], stored[0]);
}

namespace {

// The bytes `read` gives, one at a time, a buffer at a time.
class ByteStream {
public:
    explicit ByteStream(const ReadBytes& read) : read_(read), buffer_(std::size_t{1} << 16) {}

    // The next byte, or -1 at the end of the data.
    int next()
    {
        if (at_ == end_) {
            at_ = 0;
            end_ = read_(buffer_.data(), buffer_.size());
            if (end_ == 0)
                return -1;
        }
        ++used_;
        return buffer_[at_++];
    }

    std::int64_t used() const { return used_; }

private:
    const ReadBytes& read_;
    std::vector<std::uint8_t> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    std::int64_t used_ = 0;
};

}  // namespace

std::int64_t rleStreamBytes(const ReadBytes& read, std::int64_t rows, bool fourBits)
{
    ByteStream stream(read);
    std::int64_t row = 0;
    for (;;) {
        const int count = stream.next();
        const int code = stream.next();
        if (count < 0 || code < 0)
            return 0;
        if (count > 0)
            continue;  // a run: two bytes, whatever it paints
        if (code == 1 || (code == 0 && ++row >= rows))
            return stream.used();
        if (code == 2) {  // a jump right and down
            const int right = stream.next();
            const int down = stream.next();
            if (right < 0 || down < 0)
                return 0;
            row += down;
            if (row >= rows)
                return stream.used();
        } else if (code > 2) {  // literal pixels, padded to a 16-bit boundary
            const int bytes = fourBits ? (code + 1) / 2 : code;
            for (int i = 0; i < bytes + (bytes & 1); ++i)
                if (stream.next() < 0)
                    return 0;
        }
    }
}

void decodeRle(const ReadBytes& read, std::int64_t width, std::int64_t height, bool fourBits, std::int64_t columns,
    const std::function<std::uint8_t*(std::int64_t y)>& rowFor)
{
    ByteStream stream(read);
    columns = std::clamp<std::int64_t>(columns, 0, width);
    std::int64_t x = 0, stored = 0;  // stored rows count from the bottom
    std::uint8_t* line = height > 0 ? rowFor(height - 1) : nullptr;
    // Pixel x of the current row takes `index`, if the row is kept and x is inside it.
    const auto paint = [&](int index) {
        if (line && x < columns)
            line[x] = static_cast<std::uint8_t>(index);
        ++x;
    };
    const auto moveTo = [&](std::int64_t row) {
        stored = row;
        line = stored < height ? rowFor(height - 1 - stored) : nullptr;
    };
    while (stored < height) {
        const int count = stream.next();
        const int code = stream.next();
        if (count < 0 || code < 0)
            return;
        if (count > 0) {  // a run of one index, or of two nibbles in turn
            const std::int64_t end = std::max(x, std::min(x + count, width));
            if (line && x < columns) {
                const std::int64_t last = std::min(end, columns);
                if (!fourBits)
                    std::fill(line + x, line + last, static_cast<std::uint8_t>(code));
                else
                    for (std::int64_t i = 0; x + i < last; ++i)
                        line[x + i] = static_cast<std::uint8_t>(i % 2 ? code & 0xF : code >> 4);
            }
            x = end;
        } else if (code == 0) {
            x = 0;
            moveTo(stored + 1);
        } else if (code == 1) {
            return;
        } else if (code == 2) {
            const int right = stream.next();
            const int down = stream.next();
            if (right < 0 || down < 0)
                return;
            x = std::min(x + right, std::max<std::int64_t>(width - 1, 0));
            if (down > 0)
                moveTo(stored + down);
        } else {  // literal pixels, padded to a 16-bit boundary
            const int bytes = fourBits ? (code + 1) / 2 : code;
            for (int i = 0; i < bytes; ++i) {
                const int b = stream.next();
                if (b < 0)
                    return;
                if (!fourBits) {
                    paint(b);
                } else {
                    paint(b >> 4);
                    if (2 * i + 1 < code)
                        paint(b & 0xF);
                }
            }
            if (bytes & 1)
                stream.next();
        }
    }
}

}  // namespace tessaron
