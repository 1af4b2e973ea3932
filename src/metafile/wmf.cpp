// Windows metafiles of 16-bit Windows: an optional placeable header, the metafile header,
// then records of 16-bit words whose parameters come in reverse order.

#include "metafile/player.h"

#include <cmath>

namespace tessaron::metafile {
namespace {

struct Layout {
    std::size_t header = 0;   // offset of the metafile header
    std::size_t records = 0;  // offset of the first record
    bool placeable = false;
    RectF box;                // logical units of the whole picture
    double unitsPerInch = 0;  // placeable only
    std::uint16_t objects = 0;
};

// The window origin and extent the file sets before drawing, for a standard WMF.
bool firstWindow(const Reader& file, std::size_t offset, RectF& box)
{
    bool haveExt = false;
    std::size_t count = 0;
    while (file.has(offset, 6) && ++count < kMaxRecords) {
        const std::uint32_t words = file.u32(offset);
        const std::uint16_t function = file.u16(offset + 4);
        if (words < 3 || !file.has(offset, std::size_t{words} * 2))
            malformed();
        if (function == 0)
            break;
        if (function == 0x020B && words >= 5 && !haveExt) {
            box.y = file.i16(offset + 6);
            box.x = file.i16(offset + 8);
        } else if (function == 0x020C && words >= 5) {
            box.h = file.i16(offset + 6);
            box.w = file.i16(offset + 8);
            haveExt = true;
            break;
        }
        offset += std::size_t{words} * 2;
    }
    return haveExt;
}

Layout layoutOf(const Reader& file)
{
    Layout l;
    if (file.has(0, 4) && file.u32(0) == kPlaceableKey) {
        // The checksum is not checked: Windows does not either, and producers get it wrong.
        l.placeable = true;
        l.header = 22;
        const double left = file.i16(6), top = file.i16(8), right = file.i16(10), bottom = file.i16(12);
        l.box = {left, top, right - left, bottom - top};
        l.unitsPerInch = file.u16(14);
    }
    const std::uint16_t type = file.u16(l.header);
    const std::uint16_t headerWords = file.u16(l.header + 2);
    if ((type != 1 && type != 2) || headerWords < 9)
        malformed();
    l.objects = file.u16(l.header + 12);
    // A file shorter than its header says has lost records; some writers count the
    // placeable header in, so the whole file is the bound.
    if (std::uint64_t{file.u32(l.header + 6)} * 2 > file.size())
        malformed();
    l.records = l.header + std::size_t{headerWords} * 2;
    file.need(l.header, 18);
    if (!l.placeable && !firstWindow(file, l.records, l.box))
        malformed();
    if (l.box.w == 0 || l.box.h == 0 || (l.placeable && l.unitsPerInch == 0))
        malformed();
    return l;
}

class WmfPlayer : public Player {
public:
    WmfPlayer(MetafileCanvas& canvas, Size size, const Layout& layout, Spent& spent)
        : Player(canvas, size.width, size.height, spent), layout_(layout)
    {
        dc_.mapMode = 8;
        dc_.windowOrg = {layout.box.x, layout.box.y};
        dc_.windowExt = {layout.box.w, layout.box.h};
        dc_.viewportExt = {static_cast<double>(size.width), static_cast<double>(size.height)};
        dc_.font.height = 0;
    }

    void run(const Reader& file)
    {
        std::size_t offset = layout_.records;
        while (file.has(offset, 6)) {
            countRecord();
            const std::uint32_t words = file.u32(offset);
            const std::uint16_t function = file.u16(offset + 4);
            if (words < 3 || words > (file.size() - offset) / 2)
                return chainBroken();
            if (function == 0)
                return;
            const Reader params = file.sub(offset + 6, std::size_t{words} * 2 - 6);
            if (!playRecord([&] { record(function, params); }) && createsObject(function))
                addObject(Unreadable{});
            offset += std::size_t{words} * 2;
        }
    }

private:
    // Playing onto a picture, the viewport is the picture: only the window moves.
    Matrix pageToDevice() const override { return pageTransform(dc_.mapMode == 7 ? 7 : 8); }

    PointF pt(const Reader& r, std::size_t offset) const
    {
        return {static_cast<double>(r.i16(offset + 2)), static_cast<double>(r.i16(offset))};
    }

    std::vector<PointF> points(const Reader& r, std::size_t offset, std::size_t count) const
    {
        r.need(offset, count * 4);
        std::vector<PointF> pts;
        pts.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            pts.push_back({static_cast<double>(r.i16(offset + 4 * i)), static_cast<double>(r.i16(offset + 4 * i + 2))});
        return pts;
    }

    static Path polygonPath(const std::vector<PointF>& pts, std::size_t from, std::size_t count)
    {
        Path p;
        for (std::size_t i = 0; i < count; ++i)
            p.lineTo(pts[from + i]);
        p.close();
        return p;
    }

    // The records that take an object slot, whether or not they can be read.
    static bool createsObject(std::uint16_t function)
    {
        switch (function) {
        case 0x00F7: case 0x01F9: case 0x0142: case 0x02FA: case 0x02FB: case 0x02FC: case 0x06FF: return true;
        default: return false;
        }
    }

    // WMF objects take the lowest free slot.
    void addObject(GdiObject object)
    {
        for (GdiObject& slot : objects_) {
            if (std::holds_alternative<std::monostate>(slot)) {
                slot = std::move(object);
                return;
            }
        }
        if (objects_.size() < std::max<std::size_t>(layout_.objects, 1) || objects_.size() < 64)
            objects_.push_back(std::move(object));
        // A table full beyond what the header announced drops the object, as Windows does.
    }

    GdiObject* object(std::uint16_t index)
    {
        return index < objects_.size() ? &objects_[index] : nullptr;
    }

    std::optional<Bitmap> dib(const Reader& r, std::size_t offset, bool palette)
    {
        const Reader rest = r.sub(offset, r.size() - offset);
        const std::uint32_t headerSize = rest.u32(0);
        if (headerSize > rest.size())
            badRecord();
        return decodeDib(rest, dibBits(rest), palette);
    }

    static Reader dibBits(const Reader& info)
    {
        const std::uint32_t headerSize = info.u32(0);
        std::size_t offset = headerSize;
        unsigned bitCount;
        std::uint32_t compression = 0, used = 0;
        std::size_t entry = 4;
        if (headerSize == 12) {
            bitCount = info.u16(10);
            entry = 3;
        } else {
            bitCount = info.u16(14);
            compression = info.u32(16);
            used = info.u32(32);
            if (compression == 3 && headerSize < 52)
                offset += 12;
        }
        if (bitCount <= 8 && bitCount > 0) {
            const std::size_t max = std::size_t{1} << bitCount;
            offset += entry * (used == 0 || used > max ? (used > max && used <= 65536 ? used : max) : used);
        }
        if (offset > info.size())
            badRecord();
        return info.sub(offset, info.size() - offset);
    }

    void record(std::uint16_t function, const Reader& r)
    {
        switch (function) {
        case 0x001E: save(); break;                         // SAVEDC
        case 0x0127: restore(r.i16(0)); break;              // RESTOREDC
        case 0x0102: dc_.opaqueBackground = r.u16(0) == 2; break;  // SETBKMODE
        case 0x0103: dc_.mapMode = r.u16(0); break;         // SETMAPMODE
        case 0x0104: dc_.rop2 = r.u16(0); break;            // SETROP2
        case 0x0106: dc_.winding = r.u16(0) == 2; break;    // SETPOLYFILLMODE
        case 0x012E: dc_.textAlign = r.u16(0); break;       // SETTEXTALIGN
        case 0x0201: dc_.backColor = colorRef(r, 0); break; // SETBKCOLOR
        case 0x0209: dc_.textColor = colorRef(r, 0); break; // SETTEXTCOLOR
        case 0x020B: dc_.windowOrg = pt(r, 0); break;       // SETWINDOWORG
        case 0x020C: dc_.windowExt = pt(r, 0); break;       // SETWINDOWEXT
        case 0x020F: {                                       // OFFSETWINDOWORG
            const PointF d = pt(r, 0);
            dc_.windowOrg.x += d.x;
            dc_.windowOrg.y += d.y;
            break;
        }
        case 0x0410: {  // SCALEWINDOWEXT: yDenom, yNum, xDenom, xNum
            const double yd = r.i16(0), yn = r.i16(2), xd = r.i16(4), xn = r.i16(6);
            if (xd != 0 && yd != 0) {
                dc_.windowExt.x = dc_.windowExt.x * xn / xd;
                dc_.windowExt.y = dc_.windowExt.y * yn / yd;
            }
            break;
        }
        case 0x0213: lineTo(pt(r, 0)); break;               // LINETO
        case 0x0214: moveTo(pt(r, 0)); break;               // MOVETO
        case 0x0415:                                         // EXCLUDECLIPRECT
        case 0x0416: {                                       // INTERSECTCLIPRECT
            const double b = r.i16(0), rt = r.i16(2), t = r.i16(4), l = r.i16(6);
            const RectF rect{l, t, rt - l, b - t};
            if (function == 0x0416)
                intersectClipRect(rect);
            else
                excludeClipRect(rect);
            break;
        }
        case 0x0220: offsetClip(pt(r, 0)); break;           // OFFSETCLIPRGN
        case 0x041B: {                                       // RECTANGLE
            const double b = r.i16(0), rt = r.i16(2), t = r.i16(4), l = r.i16(6);
            draw(rectangle(l, t, rt, b), true, true);
            break;
        }
        case 0x0418: {                                       // ELLIPSE
            const double b = r.i16(0), rt = r.i16(2), t = r.i16(4), l = r.i16(6);
            draw(ellipse(l, t, rt, b), true, true);
            break;
        }
        case 0x061C: {                                       // ROUNDRECT
            const double h = r.i16(0), w = r.i16(2), b = r.i16(4), rt = r.i16(6), t = r.i16(8), l = r.i16(10);
            draw(roundRect(l, t, rt, b, w, h), true, true);
            break;
        }
        case 0x0817:                                         // ARC
        case 0x081A:                                         // PIE
        case 0x0830: {                                       // CHORD
            const PointF end = pt(r, 0), start = pt(r, 4);
            const double b = r.i16(8), rt = r.i16(10), t = r.i16(12), l = r.i16(14);
            const ArcKind kind = function == 0x0817 ? ArcKind::Open : function == 0x081A ? ArcKind::Pie : ArcKind::Chord;
            draw(arc(l, t, rt, b, start, end, kind), kind != ArcKind::Open, true);
            break;
        }
        case 0x0324:                                         // POLYGON
        case 0x0325: {                                       // POLYLINE
            const std::size_t n = static_cast<std::uint16_t>(r.i16(0));
            const std::vector<PointF> pts = points(r, 2, n);
            if (function == 0x0325)
                polyline(pts, false);
            else if (!pts.empty())
                draw(polygonPath(pts, 0, pts.size()), true, true);
            break;
        }
        case 0x0538: {                                       // POLYPOLYGON
            const std::size_t polygons = r.u16(0);
            r.need(2, polygons * 2);
            std::size_t total = 0;
            for (std::size_t i = 0; i < polygons; ++i)
                total += r.u16(2 + 2 * i);
            const std::vector<PointF> pts = points(r, 2 + polygons * 2, total);
            Path p;
            std::size_t at = 0;
            for (std::size_t i = 0; i < polygons; ++i) {
                const std::size_t n = r.u16(2 + 2 * i);
                p.append(polygonPath(pts, at, n));
                at += n;
            }
            draw(p, true, true);
            break;
        }
        case 0x0521: {                                       // TEXTOUT
            const std::size_t n = r.u16(0);
            const std::size_t padded = (n + 1) & ~std::size_t{1};
            TextRun run;
            run.text = decodeAnsi(r.bytes(2, n), dc_.font.charset);
            run.reference = pt(r, 2 + padded);
            text(run);
            break;
        }
        case 0x0A32: {                                       // EXTTEXTOUT
            TextRun run;
            run.reference = pt(r, 0);
            const std::size_t n = r.u16(4);
            const std::uint16_t options = r.u16(6);
            std::size_t at = 8;
            if ((options & 0x0006) != 0) {
                const double l = r.i16(8), t = r.i16(10), rt = r.i16(12), b = r.i16(14);
                run.rect = {l, t, rt - l, b - t};
                run.opaqueRect = (options & 0x0002) != 0;
                run.clipRect = (options & 0x0004) != 0;
                at = 16;
            }
            run.text = decodeAnsi(r.bytes(at, n), dc_.font.charset);
            const std::size_t dxAt = at + ((n + 1) & ~std::size_t{1});
            if (r.has(dxAt, n * 2) && n > 0) {
                run.advances.reserve(n);
                for (std::size_t i = 0; i < n; ++i)
                    run.advances.push_back(r.i16(dxAt + 2 * i));
            }
            text(run);
            break;
        }
        case 0x02FA: {                                       // CREATEPENINDIRECT
            Pen pen;
            const std::uint16_t style = r.u16(0);
            pen.style = static_cast<Pen::Style>(std::min<int>(style & 0x0F, 6));
            if ((style & 0x0F) > 6)
                pen.style = Pen::Style::Solid;
            pen.cap = static_cast<Pen::Cap>(std::min((style >> 8) & 3, 2));
            pen.join = static_cast<Pen::Join>(std::min((style >> 12) & 3, 2));
            pen.width = std::abs(r.i16(2));
            pen.cosmetic = pen.width <= 1;
            pen.color = colorRef(r, 6);
            addObject(pen);
            break;
        }
        case 0x02FC: {                                       // CREATEBRUSHINDIRECT
            Brush brush;
            const std::uint16_t style = r.u16(0);
            brush.color = colorRef(r, 2);
            brush.hatch = r.has(6, 2) ? r.u16(6) : 0;
            brush.style = style == 1 ? Brush::Style::Null : style == 2 ? Brush::Style::Hatched : Brush::Style::Solid;
            addObject(brush);
            break;
        }
        case 0x02FB: {                                       // CREATEFONTINDIRECT
            Font font;
            font.height = r.i16(0);
            font.width = r.i16(2);
            font.escapement = r.i16(4);
            font.weight = r.i16(8);
            font.italic = r.u8(10) != 0;
            font.underline = r.u8(11) != 0;
            font.strikeOut = r.u8(12) != 0;
            font.charset = r.u8(13);
            std::size_t length = 0;
            while (18 + length < r.size() && length < 32 && r.u8(18 + length) != 0)
                ++length;
            font.face = toUtf8(decodeAnsi(r.bytes(18, length), 0));
            addObject(font);
            break;
        }
        case 0x00F7: addObject(Palette{}); break;           // CREATEPALETTE
        case 0x01F9: addObject(Brush{}); break;             // CREATEPATTERNBRUSH (old bitmaps)
        case 0x0142: {                                       // DIBCREATEPATTERNBRUSH
            Brush brush;
            if (const auto bmp = dib(r, 4, r.u16(2) == 1)) {
                brush.style = Brush::Style::Pattern;
                brush.pattern = std::make_shared<const Bitmap>(*bmp);
            }
            addObject(brush);
            break;
        }
        case 0x06FF: addObject(region(r)); break;           // CREATEREGION
        case 0x012D: {                                       // SELECTOBJECT
            GdiObject* o = object(r.u16(0));
            if (!o)
                break;
            if (const Pen* p = std::get_if<Pen>(o))
                dc_.pen = *p;
            else if (const Brush* b = std::get_if<Brush>(o))
                dc_.brush = *b;
            else if (const Font* f = std::get_if<Font>(o))
                dc_.font = *f;
            else if (const Region* g = std::get_if<Region>(o))
                selectRegion(*g);
            break;
        }
        case 0x012C: {                                       // SELECTCLIPREGION
            GdiObject* o = object(r.u16(0));
            if (const Region* g = o ? std::get_if<Region>(o) : nullptr)
                selectRegion(*g);
            else
                resetClip();
            break;
        }
        case 0x01F0: {                                       // DELETEOBJECT
            if (GdiObject* o = object(r.u16(0)))
                *o = std::monostate{};
            break;
        }
        case 0x0228: {                                       // FILLREGION: region, brush
            GdiObject* g = object(r.u16(0));
            GdiObject* b = object(r.u16(2));
            const Region* region = g ? std::get_if<Region>(g) : nullptr;
            const Brush* brush = b ? std::get_if<Brush>(b) : nullptr;
            if (region && brush)
                fillWithBrush(region->outline, *brush);
            break;
        }
        case 0x012B: {                                       // PAINTREGION
            GdiObject* g = object(r.u16(0));
            if (const Region* region = g ? std::get_if<Region>(g) : nullptr)
                fillWithBrush(region->outline, dc_.brush);
            break;
        }
        case 0x061D: {                                       // PATBLT: rop, h, w, y, x
            const std::uint32_t rop = r.u32(0);
            const double h = r.i16(4), w = r.i16(6), y = r.i16(8), x = r.i16(10);
            patternFill({x, y, w, h}, rop);
            break;
        }
        case 0x0F43: {                                       // STRETCHDIB
            const std::uint32_t rop = r.u32(0);
            const bool palette = r.u16(4) == 1;
            const double sh = r.i16(6), sw = r.i16(8), sy = r.i16(10), sx = r.i16(12);
            const double dh = r.i16(14), dw = r.i16(16), dy = r.i16(18), dx = r.i16(20);
            if (const auto bmp = dib(r, 22, palette))
                drawBitmap(*bmp, {sx, sy, sw, sh}, {dx, dy, dw, dh}, rop);
            break;
        }
        case 0x0B41: {                                       // DIBSTRETCHBLT
            const std::uint32_t rop = r.u32(0);
            const double sh = r.i16(4), sw = r.i16(6), sy = r.i16(8), sx = r.i16(10);
            if (r.size() <= 22) {  // no bitmap: a pattern operation
                const double dh = r.i16(14), dw = r.i16(16), dy = r.i16(18), dx = r.i16(20);
                patternFill({dx, dy, dw, dh}, rop);
                break;
            }
            const double dh = r.i16(12), dw = r.i16(14), dy = r.i16(16), dx = r.i16(18);
            if (const auto bmp = dib(r, 20, false))
                drawBitmap(*bmp, {sx, sy, sw, sh}, {dx, dy, dw, dh}, rop);
            break;
        }
        case 0x0940: {                                       // DIBBITBLT
            const std::uint32_t rop = r.u32(0);
            const double sy = r.i16(4), sx = r.i16(6);
            if (r.size() <= 18) {
                const double h = r.i16(10), w = r.i16(12), y = r.i16(14), x = r.i16(16);
                patternFill({x, y, w, h}, rop);
                break;
            }
            const double h = r.i16(8), w = r.i16(10), y = r.i16(12), x = r.i16(14);
            if (const auto bmp = dib(r, 16, false))
                drawBitmap(*bmp, {sx, sy, w, h}, {x, y, w, h}, rop);
            break;
        }
        case 0x0D33: {                                       // SETDIBTODEV
            const bool palette = r.u16(0) == 1;
            const double sy = r.i16(6), sx = r.i16(8);
            const double h = r.i16(10), w = r.i16(12), y = r.i16(14), x = r.i16(16);
            if (const auto bmp = dib(r, 18, palette)) {
                // Source rows count from the bottom of the bitmap.
                const double top = bmp->height - sy - h;
                drawBitmap(*bmp, {sx, top, w, h}, {x, y, w, h}, 0x00CC0020);
            }
            break;
        }
        default: break;  // escapes, palettes and what no drawing needs
        }
    }

    void text(TextRun& run)
    {
        if (dc_.textAlign & kAlignUpdateCp)
            run.reference = dc_.position;
        drawText(run);
    }

    // A region's scans as rectangles in logical units.
    Region region(const Reader& r)
    {
        Region g;
        // nextInChain, objectType, objectCount (32 bits), regionSize, scanCount, maxScan,
        // bounding box, then the scans
        const std::size_t scans = r.u16(10);
        std::size_t at = 22;
        for (std::size_t s = 0; s < scans; ++s) {
            const std::size_t count = r.u16(at);
            const double top = r.i16(at + 2), bottom = r.i16(at + 4);
            r.need(at + 6, count * 2 + 2);
            for (std::size_t i = 0; i + 1 < count; i += 2) {
                const double left = r.i16(at + 6 + 2 * i), right = r.i16(at + 8 + 2 * i);
                g.outline.append(rectangle(left, top, right, bottom));
            }
            at += 6 + count * 2 + 2;
        }
        charge(static_cast<double>(g.outline.points().size()));
        return g;
    }

    void selectRegion(const Region& g)
    {
        const Matrix m = toDevice();
        Path device;
        std::size_t i = 0;
        for (const Path::Op op : g.outline.ops()) {
            if (op == Path::Op::Close) {
                device.close();
                continue;
            }
            if (op == Path::Op::Move)
                device.moveTo(m.map(g.outline.points()[i++]));
            else
                device.lineTo(m.map(g.outline.points()[i++]));
        }
        if (device.empty())
            resetClip();
        else
            addClip(ClipStep::Kind::Replace, std::move(device));
    }

    Layout layout_;
    std::vector<GdiObject> objects_;
};

}  // namespace

Size wmfSize(const Reader& file, float twipsX, float twipsY)
{
    const Layout l = layoutOf(file);
    if (l.placeable)
        return pictureSize(l.box.w / l.unitsPerInch * 1440, l.box.h / l.unitsPerInch * 1440, twipsX, twipsY);
    return pictureSize(l.box.w, l.box.h, twipsX, twipsY);
}

void playWmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas, Spent& spent)
{
    const Layout layout = layoutOf(file);
    const Size size = wmfSize(file, twipsX, twipsY);
    canvas.begin(size.width, size.height);
    WmfPlayer player(canvas, size, layout, spent);
    player.run(file);
}

}  // namespace tessaron::metafile
