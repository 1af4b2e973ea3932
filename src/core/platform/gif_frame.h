#pragma once
// The first frame of a GIF read straight into opaque pixels. Qt's own reader refuses any
// GIF of 16384 x 16384 pixels or more whatever memory there is, always decodes the whole
// picture and keeps a second copy for its transparency; this one takes a picture up to
// the loader's own limit, only the part the caller keeps, and no more memory than that.

#include "core/platform/reduced_rows.h"
#include "core/platform/surface.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tessaron {

class GifFrame {
public:
    // Fills up to `most` bytes at `into` from the file; 0 at its end.
    using Read = std::function<std::size_t(std::uint8_t* into, std::size_t most)>;

    explicit GifFrame(Read read);

    // Reads everything up to the first frame's pixels. False when the file is no GIF or
    // ends before a frame.
    bool readHeader();

    // The picture's size, as Qt's reader gives it: the logical screen, unless that is
    // missing or ridiculously larger than the frame. Valid after readHeader().
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    // Decodes the frame into the top-left `keepWidth` x `keepHeight` pixels of the picture,
    // rows `stride` pixels apart. Transparent pixels take `background`, and so does the
    // screen around the frame when the GIF has transparency; what the file does not
    // cover keeps the GIF's own background colour. A file cut short or damaged part-way
    // shows what arrived. False when not a single pixel could be decoded.
    bool readPixels(Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
        Pixel background);

    // Decodes the whole picture at `reduce`'s size, reduce.reducedWidth(width()) x
    // reduce.reduced(height()), as readPixels would show it. Only the frame's rows that are
    // read take more than counting their pixels, and the screen around the frame is never
    // filled at its full size.
    bool readReduced(Pixel* out, std::ptrdiff_t stride, const ReducedRows& reduce, Pixel background);

    // Decodes every code of the frame and keeps no pixel: what any reading of it costs at
    // the least, against which the picture benchmark sets the others.
    bool readCodesOnly();

private:
    class Rows;

    bool decode(Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
        Pixel background, const ReducedRows& reduce);
    bool decodeCodes(Rows& rows, const Pixel* palette);
    int byte();
    bool bytes(std::uint8_t* into, std::size_t count);
    bool skipBlocks();
    bool readColours(std::vector<Pixel>& colours, int flags);
    std::size_t dataBytes(std::uint8_t* into, std::size_t most);

    Read read_;
    std::vector<std::uint8_t> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    int blockLeft_ = 0;       // of the image data's current block
    bool dataEnded_ = false;

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int left_ = 0;
    int top_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool interlaced_ = false;
    int minimumCodeSize_ = 0;
    int transparent_ = -1;   // the palette index that shows the background, or none
    int backgroundIndex_ = -1;
    std::vector<Pixel> global_;
    std::vector<Pixel> local_;
};

}  // namespace tessaron
