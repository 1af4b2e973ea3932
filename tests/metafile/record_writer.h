#pragma once
// Builds small WMF and EMF files record by record for the tests.

#include "metafile/metafile.h"
#include "core/platform/runtime_error.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tessaron::testing {

using Bytes = std::vector<std::uint8_t>;
using Values = std::initializer_list<std::int64_t>;

// Appends each value in `size` bytes, little-endian.
inline Bytes& put(Bytes& b, int size, Values values)
{
    for (std::int64_t v : values)
        for (int i = 0; i < size; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}
inline Bytes& put16(Bytes& b, Values values) { return put(b, 2, values); }
inline Bytes& put32(Bytes& b, Values values) { return put(b, 4, values); }
inline Bytes words(Values values) { Bytes b; return put16(b, values); }
inline Bytes longs(Values values) { Bytes b; return put32(b, values); }
inline Bytes cat(Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; }

// `b` with the four bytes at `at` overwritten by `v`.
inline Bytes with32(Bytes b, std::size_t at, std::int64_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
}

// A bottom-up 2 x 2, 24-bit DIB (BITMAPINFOHEADER then rows), colours 0xRRGGBB top row
// first.
inline Bytes dib2x2(std::initializer_list<std::uint32_t> topDownRgb)
{
    Bytes b = longs({40, 2, 2});
    put32(put16(b, {1, 24}), {0, 0, 0, 0, 0, 0});
    const std::vector<std::uint32_t> c(topDownRgb);
    for (std::size_t i : {2, 3, 0, 1})  // a row's second pixel brings its two bytes of padding
        put(b, i % 2 == 1 ? 5 : 3, {c[i]});
    return b;
}

// META_STRETCHDIB and EMR_STRETCHDIBITS parameters: the whole 2 x 2 `dib` onto 0,0..w,h.
inline Bytes wmfStretchDib(const Bytes& dib, int w, int h) { return cat(cat(longs({0x00CC0020}), words({0, 2, 2, 0, 0, h, w, 0, 0})), dib); }

// For EMF: bounds, x, y, source x, y, w, h, then the DIB's offsets from the record's
// start, usage, raster operation and destination size.
inline Bytes emfStretchDib(const Bytes& dib, int w, int h)
{
    return cat(longs({0, 0, w, h, 0, 0, 0, 0, 2, 2, 80, 40, 120, static_cast<std::int64_t>(dib.size()) - 40, 0, 0x00CC0020, w, h}), dib);
}

inline Bytes& append(Bytes& b, const std::string& text) { b.insert(b.end(), text.begin(), text.end()); return b; }

inline std::string letters(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

// The text's bytes padded to a whole number of 16-bit words.
inline Bytes padded(const std::string& text) { Bytes b(text.begin(), text.end()); b.resize((b.size() + 1) & ~std::size_t{1}); return b; }

// TEXTOUT: count, the string padded to words, y, x.
inline Bytes wmfText(const std::string& text, int x, int y) { return cat(cat(words({std::ssize(text)}), padded(text)), words({y, x})); }

// EXTTEXTOUT without a rectangle: y, x, count, options, the string padded to words, then
// an advance of 8 pixels for every character.
inline Bytes wmfExtText(const std::string& text, int x, int y)
{
    Bytes b = cat(words({y, x, std::ssize(text), 0}), padded(text));
    for (std::size_t i = 0; i < text.size(); ++i)
        put16(b, {8 * 15});
    return b;
}

// CREATEFONTINDIRECT with a character height in twips.
inline Bytes wmfFont(int height, const std::string& face, int charset = 0)
{
    Bytes b = words({-height, 0, 0, 0, 400, 0, charset << 8, 0, 0});
    append(b, face).push_back(0);
    return b;
}

// EXTTEXTOUTW of UTF-16 text with advances of 8 pixels: bounds, graphics mode, scales,
// then EMRTEXT (reference, count, string offset, options, rectangle, advances offset).
inline Bytes emfExtText(const std::string& text, int x, int y)
{
    const auto n = static_cast<std::int64_t>(text.size());
    const std::int64_t stringAt = 76, dxAt = stringAt + ((2 * n + 3) & ~std::int64_t{3});
    Bytes b = longs({0, 0, 0, 0, 1, 0x3F800000, 0x3F800000, x, y, n, stringAt, 0, 0, 0, 0, 0, dxAt});
    for (const char c : text)
        put16(b, {c});
    b.resize(static_cast<std::size_t>(dxAt - 8));
    for (std::int64_t i = 0; i < n; ++i)
        put32(b, {8});
    return b;
}

// EXTCREATEFONTINDIRECTW into handle 1: LOGFONTW with a character height in pixels.
inline Bytes emfFont(int height, const std::string& face)
{
    Bytes b = longs({1, -height, 0, 0, 0, 400, 0, 0});
    for (std::size_t i = 0; i < 32; ++i)
        put16(b, {i < face.size() ? face[i] : 0});
    return b;
}

// POLYGON or POLYLINE parameters: `count` points zigzagging between the top and the
// bottom of a square picture of `side` units.
inline Bytes zigzag(int count, int side)
{
    Bytes b = words({count});
    for (int i = 0; i < count; ++i)
        put16(b, {i * side / count, i % 2 ? side : 0});
    return b;
}

class WmfWriter {
public:
    // Placeable with the box 0,0..width,height in `unitsPerInch`; unitsPerInch 0 writes
    // a standard WMF with only the metafile header. Checksums are not checked.
    WmfWriter(int width, int height, int unitsPerInch = 1440)
    {
        if (unitsPerInch != 0)
            put16(put32(bytes_, {0x9AC6CDD7}), {0, 0, 0, width, height, unitsPerInch, 0, 0, 0});
        header_ = bytes_.size();
        put16(bytes_, {1, 9, 0x300, 0, 0, 16, 0, 0, 0});  // size in words set at the end; 16 objects
        if (unitsPerInch == 0)
            record(0x020C, {height, width});
    }

    // Parameters as 16-bit words in file order (the reverse of the call's arguments).
    WmfWriter& record(int function, Values params) { return raw(function, words(params)); }
    WmfWriter& raw(int function, Bytes params)
    {
        params.resize((params.size() + 1) & ~std::size_t{1});
        put16(put32(bytes_, {3 + static_cast<std::int64_t>(params.size() / 2)}), {function});
        bytes_.insert(bytes_.end(), params.begin(), params.end());
        return *this;
    }
    // Colours are COLORREFs, 0x00BBGGRR.
    WmfWriter& pen(int style, int width, std::uint32_t rgb) { return record(0x02FA, {style, width, 0, rgb & 0xFFFF, rgb >> 16}); }
    WmfWriter& brush(int style, std::uint32_t rgb, int hatch = 0) { return record(0x02FC, {style, rgb & 0xFFFF, rgb >> 16, hatch}); }
    WmfWriter& select(int index) { return record(0x012D, {index}); }
    WmfWriter& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    std::size_t size() const { return bytes_.size(); }

    // Ended by META_EOF, the size in words in the header.
    Bytes finish() const
    {
        const Bytes out = WmfWriter(*this).record(0, {}).bytes_;
        return with32(out, header_ + 6, static_cast<std::int64_t>((out.size() - header_) / 2));
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
        put32(put16(bytes_, {16, 0}), {0, 0, 0, 1000, 1000, 265, 265, 0, 0, 0, 264583, 264583});  // 16 handles
    }

    EmfWriter& record(std::uint32_t type, Values params) { return raw(type, longs(params)); }
    EmfWriter& raw(std::uint32_t type, Bytes params)
    {
        params.resize((params.size() + 3) & ~std::size_t{3});
        put32(bytes_, {type, 8 + static_cast<std::int64_t>(params.size())});
        bytes_.insert(bytes_.end(), params.begin(), params.end());
        return *this;
    }
    EmfWriter& brush(int index, int style, std::uint32_t rgb) { return record(39, {index, style, rgb, 0}); }
    EmfWriter& select(std::int64_t index) { return record(37, {index}); }
    EmfWriter& rectangle(int l, int t, int r, int b) { return record(43, {l, t, r, b}); }
    std::size_t size() const { return bytes_.size(); }

    // Ended by EMR_EOF, the size in bytes in the header.
    Bytes finish() const
    {
        const Bytes out = EmfWriter(*this).record(14, {0, 0, 20}).bytes_;
        return with32(out, 48, static_cast<std::int64_t>(out.size()));
    }

private:
    Bytes bytes_;
};

// `writer` with records made by `record` from their number until the file would be
// `bytes` long, give or take a record, and finished.
template <typename Writer, typename Record>
Bytes filledTo(Writer writer, std::size_t bytes, Record record)
{
    for (int i = 0; writer.size() + 2048 < bytes; ++i)
        record(writer, i);
    return writer.finish();
}

// `at` is the first point of the shape or text, in picture pixels.
struct Call { metafile::PointF at; metafile::DrawState state; std::u16string text; };

// A canvas that notes what is drawn, the error that stopped the drawing and the work
// it was charged.
struct Played : metafile::MetafileCanvas {
    void begin(std::int32_t, std::int32_t) override {}
    void drawPath(const metafile::Path& p, const metafile::DrawState& s, bool, bool) override { calls.push_back({s.toDevice.map(p.points().front()), s, {}}); }
    void drawText(const metafile::TextRun& run, const metafile::DrawState& s) override { calls.push_back({s.toDevice.map(run.reference), s, run.text}); }
    void drawBitmap(const metafile::Bitmap&, const metafile::RectF&, const metafile::RectF&, std::uint32_t, const metafile::DrawState&) override {}
    void fillRect(const metafile::RectF&, std::uint32_t, const metafile::DrawState&) override {}
    ErrorNumber error{};  // none
    std::vector<Call> calls;
    metafile::Spent spent;
};

inline Played played(const Bytes& file)
{
    Played p;
    try { metafile::play(file, 15, 15, p, &p.spent); } catch (const RuntimeError& e) { p.error = e.number(); }
    return p;
}

// Hundredths of a millimetre for a number of 96 dpi pixels.
inline int hmm(int pixels) { return (pixels * 2540 + 48) / 96; }

}  // namespace tessaron::testing
