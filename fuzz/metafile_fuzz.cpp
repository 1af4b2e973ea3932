// Feeds arbitrary bytes to the metafile player. The canvas reads everything it is given,
// so the sanitizers see any state the player hands out that is not what it claims.

#include "metafile/metafile.h"
#include "core/platform/runtime_error.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace tessaron::metafile;

class TouchingCanvas : public MetafileCanvas {
public:
    void begin(std::int32_t width, std::int32_t height) override
    {
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide
            || std::int64_t{width} * height > kMaxPixels)
            __builtin_trap();
    }
    void drawPath(const Path& path, const DrawState& state, bool, bool) override
    {
        std::size_t i = 0;
        for (const Path::Op op : path.ops())
            i += op == Path::Op::Cubic ? 3 : op == Path::Op::Close ? 0 : 1;
        if (i != path.points().size())
            __builtin_trap();
        touch(state);
    }
    void drawText(const TextRun& run, const DrawState& state) override
    {
        for (const char16_t c : run.text)
            sink_ += c;
        for (const double a : run.advances)
            sink_ += static_cast<int>(a != 0);
        touch(state);
    }
    void drawBitmap(const Bitmap& bitmap, const RectF&, const RectF&, std::uint32_t, const DrawState& state) override
    {
        if (bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
            __builtin_trap();
        if (!bitmap.pixels.empty())
            sink_ += bitmap.pixels.front() + bitmap.pixels.back();
        touch(state);
    }
    void fillRect(const RectF&, std::uint32_t, const DrawState& state) override { touch(state); }

    unsigned sink_ = 0;

private:
    void touch(const DrawState& state)
    {
        sink_ += static_cast<unsigned>(state.font.face.size()) + state.pen.color.r;
        if (state.clip)
            sink_ += static_cast<unsigned>(state.clip->size());
        if (state.brush.pattern)
            sink_ += static_cast<unsigned>(state.brush.pattern->pixels.size());
    }
};

}  // namespace

// Most mutations change the length, which the header's size field then contradicts
// and which is refused at once. Every other input has its size field made to agree, so
// the records behind it get fuzzed too.
std::vector<std::uint8_t> withMatchingSize(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    const auto put32 = [&](std::size_t at, std::size_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    if (size >= 52 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0)
        put32(48, size);
    const std::size_t header = size >= 4 && data[0] == 0xD7 && data[1] == 0xCD ? 22 : 0;
    if (size >= header + 10 && (data[header] == 1 || data[header] == 2) && data[header + 2] == 9)
        put32(header + 6, (size - header) / 2);
    return bytes;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TouchingCanvas canvas;
    const std::vector<std::uint8_t> patched = (size % 2) ? std::vector<std::uint8_t>(data, data + size)
                                                         : withMatchingSize(data, size);
    try {
        const std::span<const std::uint8_t> bytes(patched);
        (void)naturalSize(bytes, 15.0f, 15.0f);
        play(bytes, 15.0f, 15.0f, canvas);
    } catch (const tessaron::RuntimeError& error) {
        if (error.number() != tessaron::err::InvalidPicture)
            __builtin_trap();
    }
    return 0;
}
