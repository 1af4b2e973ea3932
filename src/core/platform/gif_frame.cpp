#include "core/platform/gif_frame.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessaron {
namespace {

constexpr int kMaxCodes = 4096;  // LZW codes are at most 12 bits

int le16(const std::uint8_t* at)
{
    return at[0] | at[1] << 8;
}

}  // namespace

GifFrame::GifFrame(Read read) : read_(std::move(read)), buffer_(std::size_t{1} << 16) {}

int GifFrame::byte()
{
    if (at_ == end_) {
        at_ = 0;
        end_ = read_(buffer_.data(), buffer_.size());
        if (end_ == 0)
            return -1;
    }
    return buffer_[at_++];
}

bool GifFrame::bytes(std::uint8_t* into, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const int b = byte();
        if (b < 0)
            return false;
        into[i] = static_cast<std::uint8_t>(b);
    }
    return true;
}

bool GifFrame::skipBlocks()
{
    for (int size = byte(); size != 0; size = byte()) {
        if (size < 0)
            return false;
        for (int i = 0; i < size; ++i)
            if (byte() < 0)
                return false;
    }
    return true;
}

bool GifFrame::readColours(std::vector<Pixel>& colours, int flags)
{
    colours.assign(std::size_t{2} << (flags & 7), kBlack);
    for (Pixel& colour : colours) {
        std::uint8_t rgb[3];
        if (!bytes(rgb, 3))
            return false;
        colour = tessaron::rgb(rgb[0], rgb[1], rgb[2]);
    }
    return true;
}

bool GifFrame::readHeader()
{
    std::uint8_t head[13];
    if (!bytes(head, sizeof head) || (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0))
        return false;
    int screenWidth = le16(head + 6);
    int screenHeight = le16(head + 8);
    if (head[10] & 0x80) {
        if (!readColours(global_, head[10]))
            return false;
        backgroundIndex_ = head[11];
    }
    for (;;) {
        const int introducer = byte();
        if (introducer == 0x21) {
            const int label = byte();
            if (label == 0xF9) {  // graphic control: the transparent colour
                const int size = byte();
                if (size < 0)
                    return false;
                if (size == 0)
                    continue;  // an empty control, already at its end: drawn without one, as browsers do
                std::uint8_t control[4] = {};
                const int kept = std::min(size, 4);
                if (!bytes(control, static_cast<std::size_t>(kept)))
                    return false;
                transparent_ = size >= 4 && control[0] & 1 ? control[3] : -1;
                for (int i = kept; i < size; ++i)
                    if (byte() < 0)
                        return false;
            }
            if (label < 0 || !skipBlocks())
                return false;
            continue;
        }
        if (introducer != 0x2C)
            return false;  // the end, or something no GIF holds, before any frame
        std::uint8_t frame[9];
        if (!bytes(frame, sizeof frame))
            return false;
        left_ = le16(frame);
        top_ = le16(frame + 2);
        frameWidth_ = le16(frame + 4);
        frameHeight_ = le16(frame + 6);
        interlaced_ = (frame[8] & 0x40) != 0;
        if ((frame[8] & 0x80) && !readColours(local_, frame[8]))
            return false;
        minimumCodeSize_ = byte();
        // Qt's rule: a screen missing, or ten times larger than a frame below 16384,
        // gives way to the frame.
        if (screenWidth / 10 > std::max(frameWidth_, 16384) || screenWidth == 0)
            screenWidth = left_ + frameWidth_;
        if (screenHeight / 10 > std::max(frameHeight_, 16384) || screenHeight == 0)
            screenHeight = top_ + frameHeight_;
        width_ = screenWidth;
        height_ = screenHeight;
        return minimumCodeSize_ >= 0;
    }
}

int GifFrame::dataByte()
{
    if (blockLeft_ == 0) {
        blockLeft_ = byte();
        if (blockLeft_ <= 0) {
            blockLeft_ = 0;
            return -1;
        }
    }
    --blockLeft_;
    return byte();
}

bool GifFrame::readPixels(Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
    Pixel background)
{
    const std::vector<Pixel>& map = local_.empty() ? global_ : local_;
    const bool transparency = transparent_ >= 0;
    Pixel palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = i == transparent_ ? background
            : static_cast<std::size_t>(i) < map.size() ? map[static_cast<std::size_t>(i)]
            : transparency ? background : kBlack;
    const Pixel fill = transparency ? background
        : backgroundIndex_ >= 0 && static_cast<std::size_t>(backgroundIndex_) < global_.size()
        ? global_[static_cast<std::size_t>(backgroundIndex_)]
        : kBlack;
    for (std::int32_t y = 0; y < keepHeight; ++y)
        std::fill_n(out + y * stride, keepWidth, fill);
    if (minimumCodeSize_ < 1 || minimumCodeSize_ > 8 || frameWidth_ == 0 || frameHeight_ == 0)
        return false;

    // Where the next pixel goes. Interlaced rows come in four passes: every eighth from
    // row 0, every eighth from 4, every fourth from 2, every second from 1.
    static constexpr int kPassStart[] = {0, 4, 2, 1, 0};
    static constexpr int kPassStep[] = {8, 8, 4, 2, 1};
    int pass = interlaced_ ? 0 : 4;
    int x = 0;
    int row = 0;
    int rowsDone = 0;
    bool any = false;
    Pixel* line = row + top_ < keepHeight ? out + (row + top_) * stride : nullptr;
    const int columns = std::clamp(keepWidth - left_, 0, frameWidth_);  // frame columns that are kept
    // Returns false once the frame is complete, or nothing more of it can be kept.
    const auto put = [&](int index) {
        if (line && x < columns)
            line[left_ + x] = palette[index];
        if (++x < frameWidth_)
            return true;
        x = 0;
        if (++rowsDone == frameHeight_)
            return false;
        row += kPassStep[pass];
        while (row >= frameHeight_ && pass < 3) {
            ++pass;
            row = kPassStart[pass];
        }
        if (!interlaced_ && row + top_ >= keepHeight)
            return false;
        line = row + top_ < keepHeight ? out + (row + top_) * stride : nullptr;
        return true;
    };

    const int clear = 1 << minimumCodeSize_;
    const int end = clear + 1;
    std::vector<std::uint16_t> prefix(kMaxCodes);
    std::vector<std::uint8_t> suffix(kMaxCodes), first(kMaxCodes), stack(kMaxCodes);
    for (int c = 0; c < clear; ++c) {
        suffix[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        first[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
    }
    int codeSize = minimumCodeSize_ + 1;
    int next = clear + 2;
    int previous = -1;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (;;) {
        while (bitCount < codeSize) {
            const int b = dataByte();
            if (b < 0)
                return any;  // cut short: what arrived stays
            bits |= static_cast<std::uint32_t>(b) << bitCount;
            bitCount += 8;
        }
        const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minimumCodeSize_ + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return any;
        if (previous < 0) {
            if (code > clear)
                return any;  // damage: a string before any was defined
            any = true;
            if (!put(code))
                return true;
            previous = code;
            continue;
        }
        if (code > next)
            return any;  // damage: a string not yet defined
        // The string of `code`, last byte first; the code about to be defined stands for
        // the previous string and that string's own first byte.
        const int known = code == next ? previous : code;
        const std::uint8_t lead = first[static_cast<std::size_t>(known)];
        std::size_t depth = 0;
        if (code == next)
            stack[depth++] = lead;
        int c = known;
        for (; c >= clear; c = prefix[static_cast<std::size_t>(c)])
            stack[depth++] = suffix[static_cast<std::size_t>(c)];
        stack[depth++] = static_cast<std::uint8_t>(c);
        any = true;
        while (depth > 0)
            if (!put(stack[--depth]))
                return true;
        if (next < kMaxCodes) {
            prefix[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
            suffix[static_cast<std::size_t>(next)] = lead;
            first[static_cast<std::size_t>(next)] = first[static_cast<std::size_t>(previous)];
            if (++next == 1 << codeSize && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
}

}  // namespace tessaron
