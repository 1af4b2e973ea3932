#pragma once
// Where a BMP keeps its rows, from its headers, and the commonest BMP of all (24 or 32
// bits per pixel without compression) read straight into pixels: several times faster
// than the general decoder, which spends most of its time on reading line by line and on
// a fresh picture's page faults. Every other kind of BMP (palettes, run lengths, bit
// fields, alpha) is decoded by the general decoder, which the layout lets the loader feed
// only the rows and columns it needs; a run-length stream is first turned here into the
// palette indices of just those.

#include "core/platform/surface.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tessaron {

struct BmpLayout {
    std::int64_t width = 0;         // as stated: no reader takes a negative one
    std::int64_t height = 0;        // made positive
    bool topDown = false;           // rows stored from the top (a negative height)
    std::int32_t headerSize = 0;    // 12 for OS/2 1.x, else 40 or more
    std::int32_t planes = 1;
    std::int32_t bits = 0;          // per pixel
    std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 and 6 bit fields, others embedded files
    std::int64_t headerEnd = 0;     // past the file header, the info header, the masks and the palette
    std::int64_t pixelOffset = 0;   // where the pixels start, as the general decoder finds them
    std::int64_t statedSize = 0;    // the file size the file header states; 0 for none

    bool uncompressed() const { return compression == 0 || compression == 3 || compression == 6; }
    bool runLengths() const { return compression == 1 || compression == 2; }
    // 24 or 32 bits a pixel in blue-green-red order, with nothing a later header could add.
    bool plain() const
    {
        return headerSize == 40 && planes == 1 && compression == 0 && (bits == 24 || bits == 32) && width > 0
            && height > 0;
    }
    // Bytes per stored row of an uncompressed picture, padded to 4.
    std::int64_t stride() const { return (width * bits + 31) / 32 * 4; }
    // The file offset of picture row y (0 = top) of an uncompressed picture.
    std::int64_t rowOffset(std::int64_t y) const { return pixelOffset + stride() * (topDown ? y : height - 1 - y); }
};

// The layout from the file's first 78 bytes, or nothing when its info header has a size
// no BMP has or it claims a palette of more than 256 colours.
std::optional<BmpLayout> bmpLayout(std::span<const std::uint8_t> head);

// One stored row's first `count` pixels of a plain BMP, blue-green-red, as opaque pixels.
void bmpRowToPixels(const BmpLayout& bmp, const std::uint8_t* stored, Pixel* out, std::int32_t count);

// How many bytes of an RLE8 (or, with `fourBits`, RLE4) stream a picture `rows` rows high
// takes: up to its end-of-bitmap mark, or the mark that ends its last row, whichever comes
// first; 0 when `read` runs dry before. Reads no further than that, a buffer at a time.
using ReadBytes = std::function<std::size_t(std::uint8_t* into, std::size_t most)>;
std::int64_t rleStreamBytes(const ReadBytes& read, std::int64_t rows, bool fourBits);

// Decodes an RLE8 (or RLE4) stream of a `width` x `height` picture, stored from the bottom
// row up, into palette indices, one byte a pixel, of its first `columns` columns.
// `rowFor(y)` answers where picture row y (0 = top) goes, `columns` bytes, or nullptr when
// it is not kept; what the stream leaves unpainted keeps what is there. Runs past a row's
// end are cut at it, and a jump past the picture's side stops at it. The rows nothing
// keeps cost only the reading of their codes.
void decodeRle(const ReadBytes& read, std::int64_t width, std::int64_t height, bool fourBits, std::int64_t columns,
    const std::function<std::uint8_t*(std::int64_t y)>& rowFor);

}  // namespace tessaron
