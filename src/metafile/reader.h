#pragma once
// Little-endian reads from an untrusted byte range. Every read is checked; reading
// outside the range is a bad record, never an out-of-bounds access.

#include "core/platform/runtime_error.h"

#include <cstdint>
#include <cstring>
#include <span>

namespace tessaron::metafile {

// The file as a whole cannot be shown: its header, or a drawing that asks for more work
// or memory than any real picture needs.
[[noreturn]] inline void malformed()
{
    throw RuntimeError(err::InvalidPicture);
}

// One record cannot be played: its parameters run past its own size or make no sense.
// Playback skips it and goes on, as Windows does; outside a record (in a header) it is
// still 481, which it derives from.
class BadRecord : public RuntimeError {
public:
    BadRecord() : RuntimeError(err::InvalidPicture) {}
};

[[noreturn]] inline void badRecord()
{
    throw BadRecord();
}

class Reader {
public:
    Reader() = default;
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t count) const
    {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    void need(std::size_t offset, std::size_t count) const
    {
        if (!has(offset, count))
            badRecord();
    }
    std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count) const
    {
        need(offset, count);
        return bytes_.subspan(offset, count);
    }
    Reader sub(std::size_t offset, std::size_t count) const { return Reader(bytes(offset, count)); }

    std::uint8_t u8(std::size_t offset) const
    {
        need(offset, 1);
        return bytes_[offset];
    }
    std::uint16_t u16(std::size_t offset) const
    {
        need(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::int16_t i16(std::size_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::uint32_t u32(std::size_t offset) const
    {
        need(offset, 4);
        return static_cast<std::uint32_t>(bytes_[offset]) | (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8)
            | (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16)
            | (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
    }
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    float f32(std::size_t offset) const
    {
        const std::uint32_t bits = u32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace tessaron::metafile
