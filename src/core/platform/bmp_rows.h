#pragma once
// The commonest BMP of all, 24 or 32 bits per pixel without compression, read straight
// into pixels: several times faster than the general decoder, which spends most of its
// time on reading line by line and on a fresh picture's page faults. Every other kind
// of BMP (palettes, run lengths, bit fields, alpha) goes the general way.

#include "core/platform/surface.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tessaron {

struct PlainBmp {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;            // rows stored from the top (a negative height)
    std::int32_t bytesPerPixel = 3;  // 3 or 4; the fourth byte is unused
    std::int64_t pixelOffset = 0;    // where the first stored row starts
    std::int64_t stride = 0;         // bytes per stored row, padded to 4

    // The file offset of picture row y (0 = top).
    std::int64_t rowOffset(std::int32_t y) const
    {
        return pixelOffset + stride * (topDown ? y : height - 1 - y);
    }
};

// The layout of a plain BMP from the file's first bytes (54 suffice), or nothing when the
// file is of another kind or its pixels would not all be in the file.
std::optional<PlainBmp> plainBmp(std::span<const std::uint8_t> head, std::int64_t fileSize);

// One stored row's first `count` pixels, blue-green-red, as opaque pixels.
void bmpRowToPixels(const PlainBmp& bmp, const std::uint8_t* stored, Pixel* out, std::int32_t count);

}  // namespace tessaron
