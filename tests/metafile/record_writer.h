#pragma once
// Builds small WMF and EMF files record by record for the tests.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace tessaron::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::initializer_list<int> values)
{
    for (int v : values) {
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
}

inline void set32(Bytes& b, std::size_t at, std::int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

inline void put32(Bytes& b, std::initializer_list<std::int64_t> values)
{
    for (std::int64_t v : values) {
        b.resize(b.size() + 4);
        set32(b, b.size() - 4, v);
    }
}

// A bottom-up 24-bit DIB (BITMAPINFOHEADER then rows), colours given top row first.
inline Bytes dib24(int width, int height, const std::vector<std::uint32_t>& topDownRgb, std::int64_t claimedHeight = 0)
{
    Bytes b;
    put32(b, {40, width, claimedHeight ? claimedHeight : height});
    put16(b, {1, 24});
    put32(b, {0, 0, 0, 0, 0, 0});
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = topDownRgb[static_cast<std::size_t>(y * width + x)];
            for (int shift : {0, 8, 16})
                b.push_back(static_cast<std::uint8_t>(c >> shift));
        }
        b.resize(b.size() + static_cast<std::size_t>(((width * 3 + 3) & ~3) - width * 3));
    }
    return b;
}

class WmfWriter {
public:
    // Placeable with the box 0,0..width,height in `unitsPerInch`; unitsPerInch 0 writes
    // a standard WMF with only the metafile header. Checksums are not checked.
    WmfWriter(int width, int height, int unitsPerInch = 1440)
    {
        if (unitsPerInch != 0) {
            put32(bytes_, {0x9AC6CDD7});
            put16(bytes_, {0, 0, 0, width, height, unitsPerInch, 0, 0, 0});
        }
        header_ = bytes_.size();
        put16(bytes_, {1, 9, 0x300, 0, 0, 16, 0, 0, 0});  // size in words set at the end; 16 objects
        if (unitsPerInch == 0)
            record(0x020C, {height, width});
    }

    // Parameters as 16-bit words in file order (the reverse of the call's arguments).
    WmfWriter& record(int function, std::initializer_list<int> words)
    {
        Bytes p;
        put16(p, words);
        return raw(function, p);
    }
    WmfWriter& raw(int function, Bytes params)
    {
        params.resize((params.size() + 1) & ~std::size_t{1});
        put32(bytes_, {3 + static_cast<std::int64_t>(params.size() / 2)});
        put16(bytes_, {function});
        bytes_.insert(bytes_.end(), params.begin(), params.end());
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
    WmfWriter& font(int height, std::string face, int charset = 0)
    {
        Bytes p;
        put16(p, {height, 0, 0, 0, 400, 0, charset << 8, 0, 0});  // italic..charset, precision..family bytes
        face.resize(32);
        p.insert(p.end(), face.begin(), face.end());
        return raw(0x02FB, p);
    }

    Bytes finish()
    {
        Bytes out = bytes_;
        put32(out, {3});
        put16(out, {0});
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
    // of 1000 x 1000 pixels (264.583 mm).
    EmfWriter(int widthHmm, int heightHmm)
    {
        put32(bytes_, {1, 108, 0, 0, 0, 0, 0, 0, widthHmm, heightHmm, 0x464D4520, 0x10000, 0, 0});
        put16(bytes_, {16, 0});  // handles
        put32(bytes_, {0, 0, 0, 1000, 1000, 265, 265, 0, 0, 0, 264583, 264583});
    }

    EmfWriter& record(std::uint32_t type, std::initializer_list<std::int64_t> values)
    {
        Bytes p;
        put32(p, values);
        return raw(type, p);
    }
    EmfWriter& raw(std::uint32_t type, Bytes params)
    {
        params.resize((params.size() + 3) & ~std::size_t{3});
        put32(bytes_, {type, 8 + static_cast<std::int64_t>(params.size())});
        bytes_.insert(bytes_.end(), params.begin(), params.end());
        ++records_;
        return *this;
    }
    EmfWriter& brush(int index, int style, std::uint32_t rgb) { return record(39, {index, style, rgb, 0}); }
    EmfWriter& select(std::int64_t index) { return record(37, {index}); }
    EmfWriter& rectangle(int l, int t, int r, int b) { return record(43, {l, t, r, b}); }
    EmfWriter& translate(float dx, float dy)  // SETWORLDTRANSFORM
    {
        Bytes p;
        for (float f : {1.f, 0.f, 0.f, 1.f, dx, dy}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            put32(p, {bits});
        }
        return raw(35, p);
    }

    Bytes finish()
    {
        Bytes out = bytes_;
        put32(out, {14, 20, 0, 0, 20});
        set32(out, 48, static_cast<std::int64_t>(out.size()));
        set32(out, 52, records_ + 1);
        return out;
    }

private:
    Bytes bytes_;
    std::int64_t records_ = 1;
};

// Hundredths of a millimetre for a number of 96 dpi pixels.
inline int hmm(int pixels)
{
    return (pixels * 2540 + 48) / 96;
}

}  // namespace tessaron::testing
