#pragma once
// Builds small WMF and EMF files record by record for the tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tessaron::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, int v)
{
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void put32(Bytes& b, std::int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

inline void putFloat(Bytes& b, float f)
{
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof f);
    __builtin_memcpy(&bits, &f, sizeof f);
    put32(b, bits);
}

inline void set32(Bytes& b, std::size_t at, std::int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit DIB (BITMAPINFOHEADER then rows), colours given top row first.
inline Bytes dib24(int width, int height, const std::vector<std::uint32_t>& topDownRgb, std::int64_t claimedHeight = 0)
{
    Bytes b;
    put32(b, 40);
    put32(b, width);
    put32(b, claimedHeight ? claimedHeight : height);
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = topDownRgb[static_cast<std::size_t>(y * width + x)];
            b.push_back(static_cast<std::uint8_t>(c & 0xFF));
            b.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
            b.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
        }
        for (int p = width * 3; p < stride; ++p)
            b.push_back(0);
    }
    return b;
}

class WmfWriter {
public:
    // Placeable with the box 0,0..width,height in `unitsPerInch`; unitsPerInch 0 writes
    // a standard WMF with only the metafile header.
    WmfWriter(int width, int height, int unitsPerInch = 1440)
    {
        if (unitsPerInch != 0) {
            put32(bytes_, 0x9AC6CDD7);
            put16(bytes_, 0);
            for (int v : {0, 0, width, height})
                put16(bytes_, v);
            put16(bytes_, unitsPerInch);
            put32(bytes_, 0);
            put16(bytes_, 0);  // checksum, not checked
        }
        header_ = bytes_.size();
        put16(bytes_, 1);
        put16(bytes_, 9);
        put16(bytes_, 0x300);
        put32(bytes_, 0);
        put16(bytes_, 16);  // objects
        put32(bytes_, 0);
        put16(bytes_, 0);
        if (unitsPerInch == 0)
            record(0x020C, {height, width});
    }

    // Parameters as 16-bit words in file order (the reverse of the call's arguments).
    WmfWriter& record(int function, std::initializer_list<int> words)
    {
        put32(bytes_, 3 + static_cast<std::int64_t>(words.size()));
        put16(bytes_, function);
        for (int w : words)
            put16(bytes_, w);
        return *this;
    }
    WmfWriter& raw(int function, const Bytes& params)
    {
        put32(bytes_, 3 + static_cast<std::int64_t>((params.size() + 1) / 2));
        put16(bytes_, function);
        bytes_.insert(bytes_.end(), params.begin(), params.end());
        if (params.size() % 2)
            bytes_.push_back(0);
        return *this;
    }

    WmfWriter& pen(int style, int width, std::uint32_t rgb)
    {
        return record(0x02FA, {style, width, 0, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16)});
    }
    WmfWriter& brush(int style, std::uint32_t rgb, int hatch = 0)
    {
        return record(0x02FC, {style, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16), hatch});
    }
    WmfWriter& select(int index) { return record(0x012D, {index}); }
    WmfWriter& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfWriter& ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfWriter& font(int height, const std::string& face, int charset = 0)
    {
        Bytes p;
        for (int v : {height, 0, 0, 0, 400})
            put16(p, v);
        for (int v : {0, 0, 0, charset, 0, 0, 0, 0})
            p.push_back(static_cast<std::uint8_t>(v));
        for (std::size_t i = 0; i < 32; ++i)
            p.push_back(i < face.size() ? static_cast<std::uint8_t>(face[i]) : 0);
        return raw(0x02FB, p);
    }

    Bytes finish()
    {
        Bytes out = bytes_;
        put32(out, 3);
        put16(out, 0);
        set32(out, header_ + 6, static_cast<std::int64_t>((out.size() - header_) / 2));
        return out;
    }

private:
    Bytes bytes_;
    std::size_t header_ = 0;
};

class EmfWriter {
public:
    // A frame of width x height hundredths of a millimetre, recorded on a 96 dpi device
    // of 1000 x 1000 pixels.
    EmfWriter(int widthHmm, int heightHmm)
    {
        put32(bytes_, 1);
        put32(bytes_, 108);
        for (int v : {0, 0, 0, 0})
            put32(bytes_, v);
        for (int v : {0, 0, widthHmm, heightHmm})
            put32(bytes_, v);
        put32(bytes_, 0x464D4520);
        put32(bytes_, 0x10000);
        put32(bytes_, 0);   // bytes, set at the end
        put32(bytes_, 0);   // records
        put16(bytes_, 16);  // handles
        put16(bytes_, 0);
        for (int i = 0; i < 3; ++i)
            put32(bytes_, 0);
        put32(bytes_, 1000);
        put32(bytes_, 1000);
        put32(bytes_, 265);  // 1000 px at 96 dpi is 264.58 mm
        put32(bytes_, 265);
        for (int i = 0; i < 3; ++i)
            put32(bytes_, 0);
        put32(bytes_, 264583);  // micrometres, exact
        put32(bytes_, 264583);
        records_ = 1;
    }

    EmfWriter& record(std::uint32_t type, std::initializer_list<std::int64_t> values)
    {
        Bytes p;
        for (auto v : values)
            put32(p, v);
        return raw(type, p);
    }
    EmfWriter& raw(std::uint32_t type, const Bytes& params)
    {
        put32(bytes_, type);
        put32(bytes_, 8 + static_cast<std::int64_t>((params.size() + 3) & ~std::size_t{3}));
        bytes_.insert(bytes_.end(), params.begin(), params.end());
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        ++records_;
        return *this;
    }
    EmfWriter& pen(int index, int style, int width, std::uint32_t rgb)
    {
        return record(38, {index, style, width, 0, rgb});
    }
    EmfWriter& brush(int index, int style, std::uint32_t rgb, int hatch = 0)
    {
        return record(39, {index, style, rgb, hatch});
    }
    EmfWriter& select(std::int64_t index) { return record(37, {index}); }
    EmfWriter& rectangle(int l, int t, int r, int b) { return record(43, {l, t, r, b}); }

    Bytes finish()
    {
        Bytes out = bytes_;
        for (std::int64_t v : {14, 20, 0, 0, 20})
            put32(out, v);
        set32(out, 48, static_cast<std::int64_t>(out.size()));
        set32(out, 52, records_ + 1);
        return out;
    }

private:
    Bytes bytes_;
    std::int64_t records_ = 0;
};

// Hundredths of a millimetre for a number of 96 dpi pixels.
inline int hmm(int pixels)
{
    return (pixels * 2540 + 48) / 96;
}

}  // namespace tessaron::testing
