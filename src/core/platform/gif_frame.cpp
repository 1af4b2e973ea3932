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

std::size_t GifFrame::dataBytes(std::uint8_t* into, std::size_t most)
{
    std::size_t got = 0;
    while (got < most && !dataEnded_) {
        if (blockLeft_ == 0) {
            const int size = byte();
            dataEnded_ = size <= 0;  // the empty block that ends the data, or the end of the file
            blockLeft_ = std::max(size, 0);
            continue;
        }
        if (at_ == end_) {
            at_ = 0;
            end_ = read_(buffer_.data(), buffer_.size());
            dataEnded_ = end_ == 0;
            continue;
        }
        const std::size_t count = std::min({most - got, static_cast<std::size_t>(blockLeft_), end_ - at_});
        std::memcpy(into + got, buffer_.data() + at_, count);
        at_ += count;
        got += count;
        blockLeft_ -= static_cast<int>(count);
    }
    return got;
}

bool GifFrame::readPixels(Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
    Pixel background)
{
    return decode(out, stride, keepWidth, keepHeight, background, ReducedRows{});
}

bool GifFrame::readReduced(Pixel* out, std::ptrdiff_t stride, const ReducedRows& reduce, Pixel background)
{
    return decode(out, stride, reduce.reducedWidth(width_), reduce.reduced(height_), background, reduce);
}

bool GifFrame::readCodesOnly()
{
    return decode(nullptr, 0, 0, height_, kBlack, ReducedRows{});
}

// Where the frame's pixels go, in the order the file sends them. Interlaced rows come in
// four passes: every eighth from row 0, every eighth from 4, every fourth from 2, every
// second from 1. A row nothing keeps has no line, and only its pixels are counted.
class GifFrame::Rows {
public:
    Rows(const GifFrame& gif, Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
        const ReducedRows& reduce, Pixel fill)
        : gif_(gif), out_(out), stride_(stride), reduce_(reduce), fill_(fill), reducing_(reduce.step > 1),
          screenRow_(reducing_ ? static_cast<std::size_t>(gif.width_) : 0, fill),
          columns_(std::clamp((reducing_ ? gif.width_ : keepWidth) - gif.left_, 0, gif.frameWidth_)),
          lastRow_(reducing_ ? reduce.sourceRow(keepHeight - 1, gif.height_) : keepHeight - 1),
          pass_(gif.interlaced_ ? 0 : 4)
    {
        line = rowFor(0);
    }

    Pixel* line = nullptr;  // the current row's screen row, when it is kept
    int x = 0;              // the next pixel's column in the frame

    // Frame columns that are kept: from 0 up to this one.
    int columns() const { return columns_; }

    // Puts the pixel at x; false once the frame is complete or nothing more of it is kept.
    bool put(Pixel colour)
    {
        if (line && x < columns_)
            line[gif_.left_ + x] = colour;
        return ++x < gif_.frameWidth_ || nextRow();
    }

    // A reduced row is averaged once it is complete, or when the data ends.
    void finishRow()
    {
        if (reducing_ && line)
            reduce_.averageRow(line, gif_.width_, out_ + (row_ + gif_.top_) / reduce_.step * stride_);
        line = nullptr;
    }

private:
    static constexpr int kPassStart[] = {0, 4, 2, 1, 0};
    static constexpr int kPassStep[] = {8, 8, 4, 2, 1};

    bool nextRow()
    {
        x = 0;
        finishRow();
        if (++rowsDone_ == gif_.frameHeight_)
            return false;
        row_ += kPassStep[pass_];
        while (row_ >= gif_.frameHeight_ && pass_ < 3) {
            ++pass_;
            row_ = kPassStart[pass_];
        }
        if (!gif_.interlaced_ && row_ + gif_.top_ > lastRow_)
            return false;
        line = rowFor(row_);
        return true;
    }

    // The screen row of frame row `r`, or nullptr when nothing of it is kept.
    Pixel* rowFor(int r)
    {
        const int y = r + gif_.top_;
        if (y > lastRow_ || !out_)
            return nullptr;
        if (!reducing_)
            return out_ + y * stride_;
        if (!reduce_.reads(y, gif_.height_))
            return nullptr;
        // What does not arrive of it stays empty.
        std::fill_n(screenRow_.begin() + std::min(gif_.left_, gif_.width_), columns_, fill_);
        return screenRow_.data();
    }

    const GifFrame& gif_;
    Pixel* out_;
    std::ptrdiff_t stride_;
    ReducedRows reduce_;
    Pixel fill_;
    bool reducing_;
    std::vector<Pixel> screenRow_;  // reduced, each screen row read is put together here, then averaged
    int columns_;                   // frame columns that are kept
    int lastRow_;                   // the last screen row kept
    int pass_;
    int row_ = 0;                   // in the frame
    int rowsDone_ = 0;
};

bool GifFrame::decode(Pixel* out, std::ptrdiff_t stride, std::int32_t keepWidth, std::int32_t keepHeight,
    Pixel background, const ReducedRows& reduce)
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
    for (std::int32_t y = 0; out && y < keepHeight; ++y)
        std::fill_n(out + y * stride, keepWidth, fill);
    if (minimumCodeSize_ < 1 || minimumCodeSize_ > 8 || frameWidth_ == 0 || frameHeight_ == 0)
        return false;
    Rows rows(*this, out, stride, keepWidth, keepHeight, reduce, fill);
    const bool decoded = decodeCodes(rows, palette);
    rows.finishRow();
    return decoded;
}

bool GifFrame::decodeCodes(Rows& rows, const Pixel* palette)
{
    // Each code stands for its prefix's string and one byte more. Eight bytes, so that an
    // entry is written and read whole.
    struct alignas(8) Entry {
        std::uint16_t prefix;
        std::uint16_t length;
        std::uint8_t suffix;
        std::uint8_t first;
        std::uint16_t unused = 0;
    };
    const int clear = 1 << minimumCodeSize_;
    const int end = clear + 1;
    std::vector<Entry> table(kMaxCodes);
    for (int c = 0; c < clear; ++c)
        table[static_cast<std::size_t>(c)] = {0, 1, static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c), 0};
    std::vector<std::uint8_t> stack(kMaxCodes);
    // The data without its block lengths, a buffer at a time.
    std::vector<std::uint8_t> data(std::size_t{1} << 16);
    const std::uint8_t* at = data.data();
    const std::uint8_t* dataEnd = at;
    const int frameWidth = frameWidth_;
    int codeSize = minimumCodeSize_ + 1;
    int codeLimit = 1 << codeSize;  // the first code that needs a bit more
    int next = clear + 2;
    int previous = -1;
    std::uint64_t bits = 0;
    int bitCount = 0;
    bool any = false;  // set by the first code, which every later one builds on
    // As many whole bytes as the reservoir holds, so it is filled once every few codes:
    // eight at once while the buffer has them.
    const auto refillFast = [&] {
        std::uint64_t word = 0;
        for (int i = 7; i >= 0; --i)
            word = word << 8 | at[i];
        bits |= word << bitCount;
        at += (63 - bitCount) >> 3;
        bitCount |= 56;
    };
    // Defines the next code as the previous string and `lead`, and widens the codes when
    // the next one needs another bit.
    const auto define = [&](std::uint8_t lead) {
        if (next == kMaxCodes)
            return;
        const Entry& before = table[static_cast<std::size_t>(previous)];
        table[static_cast<std::size_t>(next)] = {static_cast<std::uint16_t>(previous),
            static_cast<std::uint16_t>(before.length + 1), lead, before.first, 0};
        if (++next == codeLimit && codeSize < 12) {
            ++codeSize;
            codeLimit <<= 1;
        }
    };
    for (;;) {
        // The codes of rows nothing keeps, most of a reduced preview's, go round a loop of
        // their own that calls nothing, so that all it works with stays in registers. A
        // row's end, a clear or end code, damage or data running low leave it for the
        // general way below.
        if (!rows.line && previous >= 0) {
            int x = rows.x;
            while (dataEnd - at >= 8) {
                if (bitCount < codeSize)
                    refillFast();
                const int code = static_cast<int>(bits & static_cast<std::uint64_t>(codeLimit - 1));
                if (code >= clear && (code <= end || code > next))
                    break;
                const Entry& entry = table[static_cast<std::size_t>(code == next ? previous : code)];
                const std::uint8_t lead = entry.first;
                const int count = entry.length + (code == next ? 1 : 0);
                if (x + count >= frameWidth)
                    break;
                bits >>= codeSize;
                bitCount -= codeSize;
                x += count;
                define(lead);
                previous = code;
            }
            rows.x = x;
        } else if (rows.line && previous >= 0) {
            // The codes of kept rows likewise, while each string falls within the kept
            // columns and short of the row's end: written straight into the row, last
            // pixel first, as the table links each string from its end.
            Pixel* const line = rows.line + left_;
            const int columns = std::min(rows.columns(), frameWidth - 1);
            int x = rows.x;
            while (dataEnd - at >= 8) {
                if (bitCount < codeSize)
                    refillFast();
                const int code = static_cast<int>(bits & static_cast<std::uint64_t>(codeLimit - 1));
                if (code >= clear && (code <= end || code > next))
                    break;
                const int known = code == next ? previous : code;
                const Entry& entry = table[static_cast<std::size_t>(known)];
                const std::uint8_t lead = entry.first;
                const int count = entry.length + (code == next ? 1 : 0);
                if (x + count > columns)
                    break;
                bits >>= codeSize;
                bitCount -= codeSize;
                Pixel* p = line + x + count;
                if (code == next)
                    *--p = palette[lead];
                int c = known;
                for (; c >= clear; c = table[static_cast<std::size_t>(c)].prefix)
                    *--p = palette[table[static_cast<std::size_t>(c)].suffix];
                *--p = palette[c];
                x += count;
                define(lead);
                previous = code;
            }
            rows.x = x;
        }
        if (bitCount < codeSize) {
            if (dataEnd - at >= 8) {
                refillFast();
            } else {
                for (; bitCount <= 56; bitCount += 8) {
                    if (at == dataEnd) {
                        at = data.data();
                        dataEnd = at + dataBytes(data.data(), data.size());
                        if (at == dataEnd)
                            break;
                    }
                    bits |= static_cast<std::uint64_t>(*at++) << bitCount;
                }
                if (bitCount < codeSize)
                    return any;  // cut short: what arrived stays
            }
        }
        const int code = static_cast<int>(bits & static_cast<std::uint64_t>(codeLimit - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minimumCodeSize_ + 1;
            codeLimit = 1 << codeSize;
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
            if (!rows.put(palette[code]))
                return true;
            previous = code;
            continue;
        }
        if (code > next)
            return any;  // damage: a string not yet defined
        // The string of `code`; the code about to be defined stands for the previous
        // string and that string's own first byte.
        const int known = code == next ? previous : code;
        const std::uint8_t lead = table[static_cast<std::size_t>(known)].first;
        const int count = table[static_cast<std::size_t>(known)].length + (code == next ? 1 : 0);
        if (!rows.line && rows.x + count < frameWidth) {
            rows.x += count;  // within a row nothing keeps, only the number of pixels matters
        } else {
            // Last byte first.
            std::size_t depth = 0;
            if (code == next)
                stack[depth++] = lead;
            int c = known;
            for (; c >= clear; c = table[static_cast<std::size_t>(c)].prefix)
                stack[depth++] = table[static_cast<std::size_t>(c)].suffix;
            stack[depth++] = static_cast<std::uint8_t>(c);
            while (depth > 0)
                if (!rows.put(palette[stack[--depth]]))
                    return true;
        }
        define(lead);
        previous = code;
    }
}

}  // namespace tessaron
