// Enhanced metafiles: a header record with the picture frame, then 32-bit records of
// type and size. EMF+ comments are skipped; dual files carry plain records too.

#include "metafile/player.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tessaron::metafile {
namespace {

struct Header {
    RectF frame;  // hundredths of a millimetre
    PointF deviceMm;
    PointF devicePixels;
    std::uint32_t handles = 0;
    std::size_t size = 0;
};

Header headerOf(const Reader& file)
{
    Header h;
    const std::uint32_t size = file.u32(4);
    if (file.u32(0) != 1 || size < 88 || size > file.size() || file.u32(40) != 0x464D4520)
        malformed();
    h.size = size;
    if (file.u32(48) > file.size())  // records were lost
        malformed();
    const double l = file.i32(24), t = file.i32(28), r = file.i32(32), b = file.i32(36);
    h.frame = {l, t, r - l, b - t};
    h.handles = file.u16(56);
    h.devicePixels = {static_cast<double>(file.i32(72)), static_cast<double>(file.i32(76))};
    h.deviceMm = {static_cast<double>(file.i32(80)), static_cast<double>(file.i32(84))};
    if (size >= 108 && file.u32(100) > 0 && file.u32(104) > 0)
        h.deviceMm = {file.u32(100) / 1000.0, file.u32(104) / 1000.0};
    if (!(h.devicePixels.x > 0 && h.devicePixels.y > 0 && h.deviceMm.x > 0 && h.deviceMm.y > 0))
        malformed();
    if (!(h.frame.w > 0 && h.frame.h > 0))
        malformed();
    return h;
}

class EmfPlayer : public Player {
public:
    EmfPlayer(MetafileCanvas& canvas, Size size, const Header& header, Spent& spent)
        : Player(canvas, size.width, size.height, spent), header_(header)
    {
        // Device pixels of the recording to hundredths of a millimetre, then the frame
        // onto the picture.
        const double hmmX = header.deviceMm.x * 100 / header.devicePixels.x;
        const double hmmY = header.deviceMm.y * 100 / header.devicePixels.y;
        const double sx = size.width / header.frame.w, sy = size.height / header.frame.h;
        deviceToPicture_.m11 = hmmX * sx;
        deviceToPicture_.m22 = hmmY * sy;
        deviceToPicture_.dx = -header.frame.x * sx;
        deviceToPicture_.dy = -header.frame.y * sy;
        devicePerMm_ = {header.devicePixels.x / header.deviceMm.x, header.devicePixels.y / header.deviceMm.y};
        dc_.font.height = -12 * devicePerMm_.y * 25.4 / 72;
        dc_.font.face = "Arial";
    }

    void run(const Reader& file)
    {
        std::size_t offset = header_.size;
        while (file.has(offset, 8)) {
            countRecord();
            const std::uint32_t type = file.u32(offset);
            const std::uint32_t size = file.u32(offset + 4);
            if (size < 8 || size % 4 != 0 || size > file.size() - offset)
                return chainBroken();
            if (type == 14)
                return;
            const Reader r = file.sub(offset, size);
            playRecord([&] { record(type, r); });
            offset += size;
        }
    }

private:
    static PointF pointL(const Reader& r, std::size_t at)
    {
        return {static_cast<double>(r.i32(at)), static_cast<double>(r.i32(at + 4))};
    }

    // Point arrays of 32-bit or 16-bit coordinates, the count checked against the record.
    static std::vector<PointF> points(const Reader& r, std::size_t at, std::size_t count, bool small)
    {
        const std::size_t each = small ? 4 : 8;
        if (count > r.size() / each)
            badRecord();
        r.need(at, count * each);
        std::vector<PointF> pts;
        pts.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (small)
                pts.push_back({static_cast<double>(r.i16(at + 4 * i)), static_cast<double>(r.i16(at + 4 * i + 2))});
            else
                pts.push_back(pointL(r, at + 8 * i));
        }
        return pts;
    }

    GdiObject* object(std::uint32_t index)
    {
        const auto it = objects_.find(index);
        return it == objects_.end() ? nullptr : &it->second;
    }

    void store(std::uint32_t index, GdiObject object)
    {
        // Index 0 is the metafile itself; indices beyond the header's count are invalid.
        if (index == 0 || index >= header_.handles)
            return;
        objects_[index] = std::move(object);
    }

    std::optional<Bitmap> bitmapAt(const Reader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
        std::uint32_t offBits, std::uint32_t cbBits, bool palette, bool keepAlpha = false)
    {
        if (cbBmi == 0)
            return std::nullopt;
        return decodeDib(r.sub(offBmi, cbBmi), r.sub(offBits, cbBits), palette, keepAlpha);
    }

    void polyRecord(std::uint32_t type, const Reader& r)
    {
        const bool small = type >= 85;
        const std::uint32_t kind = small ? type - 83 : type;  // 16-bit records mirror 2..6
        const std::vector<PointF> pts = points(r, 28, r.u32(24), small);
        switch (kind) {
        case 2: polyBezier(pts, false); break;
        case 3: {
            Path p;
            for (const PointF& q : pts)
                p.lineTo(q);
            p.close();
            draw(p, true, true);
            break;
        }
        case 4: polyline(pts, false); break;
        case 5: polyBezier(pts, true); break;
        case 6: polyline(pts, true); break;
        default: break;
        }
    }

    void polyPolyRecord(std::uint32_t type, const Reader& r)
    {
        const bool small = type == 90 || type == 91;
        const bool closed = type == 8 || type == 91;
        const std::uint32_t polys = r.u32(24);
        const std::uint32_t total = r.u32(28);
        if (polys > r.size() / 4)
            badRecord();
        r.need(32, std::size_t{polys} * 4);
        const std::vector<PointF> pts = points(r, 32 + std::size_t{polys} * 4, total, small);
        Path p;
        std::size_t at = 0;
        for (std::uint32_t i = 0; i < polys; ++i) {
            const std::size_t n = r.u32(32 + 4 * std::size_t{i});
            if (n > pts.size() - at)
                badRecord();
            for (std::size_t k = 0; k < n; ++k) {
                if (k == 0)
                    p.moveTo(pts[at + k]);
                else
                    p.lineTo(pts[at + k]);
            }
            if (closed && n > 0)
                p.close();
            at += n;
        }
        draw(p, closed, true);
    }

    // RGNDATA: a header then rectangles in device units of the recording.
    Path regionPath(const Reader& r, std::size_t at, std::size_t bytes)
    {
        if (bytes < 32)
            return {};
        const Reader data = r.sub(at, bytes);
        const std::uint32_t count = data.u32(8);
        if (count > (bytes - 32) / 16)
            badRecord();
        Path p;
        const Matrix& m = deviceToPicture_;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t e = 32 + 16 * std::size_t{i};
            const double l = data.i32(e), t = data.i32(e + 4), rt = data.i32(e + 8), b = data.i32(e + 12);
            p.moveTo(m.map({l, t}));
            p.lineTo(m.map({rt, t}));
            p.lineTo(m.map({rt, b}));
            p.lineTo(m.map({l, b}));
            p.close();
        }
        charge(static_cast<double>(count) * kPointWork);
        return p;
    }

    void fillDevicePath(const Path& device, const Brush& brush)
    {
        if (device.empty() || brush.style == Brush::Style::Null)
            return;
        DrawState s = state();
        s.toDevice = Matrix{};
        s.brush = brush;
        charge(shapeWork(device, Matrix{}, 0, true, false) + patternWork(brush));
        canvas().drawPath(device, s, true, false);
    }

    void text(const Reader& r, bool wide)
    {
        // bounds, graphics mode, x and y scale, then EMRTEXT
        TextRun run;
        run.reference = pointL(r, 36);
        const std::uint32_t count = r.u32(44);
        const std::uint32_t offString = r.u32(48);
        const std::uint32_t options = r.u32(52);
        const double l = r.i32(56), t = r.i32(60), rt = r.i32(64), b = r.i32(68);
        const std::uint32_t offDx = r.u32(72);
        if (count > r.size())
            badRecord();
        if (wide) {
            const auto bytes = r.bytes(offString, std::size_t{count} * 2);
            run.text.reserve(count);
            for (std::size_t i = 0; i < count; ++i)
                run.text.push_back(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        } else {
            run.text = decodeAnsi(r.bytes(offString, count), dc_.font.charset);
        }
        run.rect = {l, t, rt - l, b - t};
        run.opaqueRect = (options & 0x0002) != 0 && rt > l && b > t;
        run.clipRect = (options & 0x0004) != 0 && rt > l && b > t;
        const std::size_t step = (options & 0x2000) != 0 ? 8 : 4;  // ETO_PDY: x and y pairs
        if (offDx != 0 && count > 0 && r.has(offDx, std::size_t{count} * step)) {
            run.advances.reserve(count);
            for (std::size_t i = 0; i < count; ++i)
                run.advances.push_back(r.i32(offDx + step * i));
        }
        if (dc_.textAlign & kAlignUpdateCp)
            run.reference = dc_.position;
        drawText(std::move(run));
    }

    void blockTransfer(const Reader& r, bool stretch)
    {
        const double x = r.i32(24), y = r.i32(28), w = r.i32(32), h = r.i32(36);
        const std::uint32_t rop = r.u32(40);
        const double sx = r.i32(44), sy = r.i32(48);
        // xformSrc 52..75, background 76, usage 80
        const bool palette = r.u32(80) == 1;
        const std::uint32_t offBmi = r.u32(84), cbBmi = r.u32(88), offBits = r.u32(92), cbBits = r.u32(96);
        double sw = w, sh = h;
        if (stretch) {
            sw = r.i32(100);
            sh = r.i32(104);
        }
        if (cbBmi == 0) {
            patternFill({x, y, w, h}, rop);
            return;
        }
        if (const auto bmp = bitmapAt(r, offBmi, cbBmi, offBits, cbBits, palette)) {
            // A BitBlt's source size is in the source's device units, which recorders
            // make the bitmap itself: the bitmap from its source corner fills the target.
            if (!stretch) {
                sw = bmp->width - sx;
                sh = bmp->height - sy;
            }
            drawBitmap(*bmp, {sx, sy, sw, sh}, {x, y, w, h}, rop);
        }
    }

    void smallText(const Reader& r)
    {
        TextRun run;
        run.reference = pointL(r, 8);
        const std::uint32_t count = r.u32(16);
        const std::uint32_t options = r.u32(20);
        std::size_t at = 36;
        if ((options & 0x0100) == 0) {  // a clip rectangle unless ETO_NO_RECT
            const double l = r.i32(36), t = r.i32(40), rt = r.i32(44), b = r.i32(48);
            run.rect = {l, t, rt - l, b - t};
            run.opaqueRect = (options & 0x0002) != 0 && rt > l && b > t;
            run.clipRect = (options & 0x0004) != 0 && rt > l && b > t;
            at = 52;
        }
        if (count > r.size())
            badRecord();
        if (options & 0x0200) {  // ETO_SMALL_CHARS: 8-bit
            run.text = decodeAnsi(r.bytes(at, count), dc_.font.charset);
        } else {
            const auto bytes = r.bytes(at, std::size_t{count} * 2);
            for (std::size_t i = 0; i < count; ++i)
                run.text.push_back(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        }
        if (dc_.textAlign & kAlignUpdateCp)
            run.reference = dc_.position;
        drawText(std::move(run));
    }

    // Rectangles become a stretched ramp bitmap; triangles take their mean colour.
    void gradientFill(const Reader& r)
    {
        const std::uint32_t vertices = r.u32(24), shapes = r.u32(28), mode = r.u32(32);
        if (vertices > r.size() / 16 || shapes > r.size() / 8)
            badRecord();
        r.need(36, std::size_t{vertices} * 16);
        struct Vertex {
            PointF p;
            double c[3];
        };
        std::vector<Vertex> v(vertices);
        for (std::size_t i = 0; i < vertices; ++i) {
            const std::size_t e = 36 + 16 * i;
            v[i] = {pointL(r, e), {r.u16(e + 8) / 257.0, r.u16(e + 10) / 257.0, r.u16(e + 12) / 257.0}};
        }
        const std::size_t each = mode == 2 ? 12 : 8;
        const std::size_t base = 36 + std::size_t{vertices} * 16;
        r.need(base, std::size_t{shapes} * each);
        const auto pixel = [](const double* c) {
            return 0xFF000000u | (static_cast<std::uint32_t>(c[0] + 0.5) << 16)
                | (static_cast<std::uint32_t>(c[1] + 0.5) << 8) | static_cast<std::uint32_t>(c[2] + 0.5);
        };
        for (std::size_t s = 0; s < shapes; ++s) {
            const std::size_t e = base + each * s;
            const std::uint32_t a = r.u32(e), b = r.u32(e + 4);
            if (a >= vertices || b >= vertices)
                continue;
            if (mode == 2) {
                const std::uint32_t c = r.u32(e + 8);
                if (c >= vertices)
                    continue;
                Brush mean;
                double m[3];
                for (int k = 0; k < 3; ++k)
                    m[k] = (v[a].c[k] + v[b].c[k] + v[c].c[k]) / 3;
                const std::uint32_t px = pixel(m);
                mean.color = {static_cast<std::uint8_t>(px >> 16), static_cast<std::uint8_t>(px >> 8),
                    static_cast<std::uint8_t>(px)};
                Path tri;
                tri.moveTo(v[a].p);
                tri.lineTo(v[b].p);
                tri.lineTo(v[c].p);
                tri.close();
                fillWithBrush(tri, mean);
                continue;
            }
            constexpr int kSteps = 64;
            const bool vertical = mode == 1;
            Bitmap ramp;
            ramp.width = vertical ? 1 : kSteps;
            ramp.height = vertical ? kSteps : 1;
            ramp.pixels.resize(kSteps);
            for (int i = 0; i < kSteps; ++i) {
                const double t = (i + 0.5) / kSteps;
                double c[3];
                for (int k = 0; k < 3; ++k)
                    c[k] = v[a].c[k] + (v[b].c[k] - v[a].c[k]) * t;
                ramp.pixels[static_cast<std::size_t>(i)] = pixel(c);
            }
            const RectF dest{v[a].p.x, v[a].p.y, v[b].p.x - v[a].p.x, v[b].p.y - v[a].p.y};
            drawBitmap(ramp, {0, 0, static_cast<double>(ramp.width), static_cast<double>(ramp.height)}, dest, 0x00CC0020);
        }
    }

    void selectObject(std::uint32_t index)
    {
        if (index & 0x80000000u) {
            const int stock = static_cast<int>(index & 0x7FFFFFFF);
            if (stock <= 5)
                dc_.brush = stockBrush(stock);
            else if (stock <= 8)
                dc_.pen = stockPen(stock);
            else if (stock >= 10 && stock <= 17 && stock != 15) {
                dc_.font = Font{};
                dc_.font.height = -12 * devicePerMm_.y * 25.4 / 72;
                dc_.font.face = stock == 10 || stock == 11 || stock == 16 ? "Courier New" : "Arial";
            }
            return;
        }
        GdiObject* o = object(index);
        if (!o)
            return;
        if (const Pen* p = std::get_if<Pen>(o))
            dc_.pen = *p;
        else if (const Brush* b = std::get_if<Brush>(o))
            dc_.brush = *b;
        else if (const Font* f = std::get_if<Font>(o))
            dc_.font = *f;
    }

    static Pen penFrom(std::uint32_t style, double width, Rgb color)
    {
        Pen pen;
        const std::uint32_t kind = style & 0x0F;
        pen.style = kind <= 6 ? static_cast<Pen::Style>(kind) : Pen::Style::Solid;
        pen.cap = static_cast<Pen::Cap>(std::min<std::uint32_t>((style >> 8) & 0x0F, 2));
        pen.join = static_cast<Pen::Join>(std::min<std::uint32_t>((style >> 12) & 0x0F, 2));
        pen.width = std::abs(width);
        pen.cosmetic = (style & 0x00010000) == 0 && pen.width <= 1;
        if (pen.width == 0)
            pen.cosmetic = true;
        pen.color = color;
        return pen;
    }

    void record(std::uint32_t type, const Reader& r)
    {
        switch (type) {
        case 2: case 3: case 4: case 5: case 6:
        case 85: case 86: case 87: case 88: case 89:
            polyRecord(type, r);
            break;
        case 7: case 8: case 90: case 91: polyPolyRecord(type, r); break;
        case 9: dc_.windowExt = pointL(r, 8); break;
        case 10: dc_.windowOrg = pointL(r, 8); break;
        case 11: dc_.viewportExt = pointL(r, 8); break;
        case 12: dc_.viewportOrg = pointL(r, 8); break;
        case 17: dc_.mapMode = static_cast<int>(r.u32(8)); break;
        case 18: dc_.opaqueBackground = r.u32(8) == 2; break;
        case 19: dc_.winding = r.u32(8) == 2; break;
        case 20: dc_.rop2 = static_cast<int>(r.u32(8)); break;
        case 22: dc_.textAlign = r.u32(8); break;
        case 24: dc_.textColor = colorRef(r, 8); break;
        case 25: dc_.backColor = colorRef(r, 8); break;
        case 26: {  // OFFSETCLIPRGN, logical units
            const PointF d = pointL(r, 8);
            offsetClip(d);
            break;
        }
        case 27: moveTo(pointL(r, 8)); break;
        case 29:
        case 30: {
            const double l = r.i32(8), t = r.i32(12), rt = r.i32(16), b = r.i32(20);
            if (type == 30)
                intersectClipRect({l, t, rt - l, b - t});
            else
                excludeClipRect({l, t, rt - l, b - t});
            break;
        }
        case 31:
        case 32: {  // SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX: xNum, xDenom, yNum, yDenom
            const double xn = r.i32(8), xd = r.i32(12), yn = r.i32(16), yd = r.i32(20);
            if (xd == 0 || yd == 0)
                break;
            PointF& ext = type == 31 ? dc_.viewportExt : dc_.windowExt;
            ext = {ext.x * xn / xd, ext.y * yn / yd};
            break;
        }
        case 33: save(); break;
        case 34: restore(r.i32(8)); break;
        case 35: dc_.world = xform(r, 8); break;
        case 36: {
            const Matrix m = xform(r, 8);
            switch (r.u32(32)) {
            case 1: dc_.world = Matrix{}; break;
            case 2: dc_.world = m.followedBy(dc_.world); break;
            case 3: dc_.world = dc_.world.followedBy(m); break;
            case 4: dc_.world = m; break;
            default: break;
            }
            break;
        }
        case 37: selectObject(r.u32(8)); break;
        case 38: {  // CREATEPEN: LOGPEN
            store(r.u32(8), penFrom(r.u32(12), r.i32(16), colorRef(r, 24)));
            break;
        }
        case 95: {  // EXTCREATEPEN: LOGPEN32 after the pattern bitmap's offsets and sizes
            Pen pen = penFrom(r.u32(28), r.u32(32), colorRef(r, 40));
            if (r.u32(36) == 1)  // BS_NULL
                pen.style = Pen::Style::Null;
            store(r.u32(8), pen);
            break;
        }
        case 39: {  // CREATEBRUSHINDIRECT
            Brush brush;
            const std::uint32_t style = r.u32(12);
            brush.color = colorRef(r, 16);
            brush.hatch = static_cast<int>(r.u32(20));
            brush.style = style == 1 ? Brush::Style::Null : style == 2 ? Brush::Style::Hatched : Brush::Style::Solid;
            store(r.u32(8), brush);
            break;
        }
        case 93:
        case 94: {  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
            Brush brush;
            if (const auto bmp = bitmapAt(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28), r.u32(12) == 1)) {
                brush.style = Brush::Style::Pattern;
                brush.pattern = std::make_shared<const Bitmap>(*bmp);
            }
            store(r.u32(8), brush);
            break;
        }
        case 82: {  // EXTCREATEFONTINDIRECTW: LOGFONTW at 12
            Font font;
            font.height = r.i32(12);
            font.width = r.i32(16);
            font.escapement = r.i32(20);
            font.weight = r.i32(28);
            font.italic = r.u8(32) != 0;
            font.underline = r.u8(33) != 0;
            font.strikeOut = r.u8(34) != 0;
            font.charset = r.u8(35);
            std::u16string face;
            for (std::size_t i = 0; i < 32 && r.has(40 + 2 * i, 2); ++i) {
                const char16_t c = r.u16(40 + 2 * i);
                if (c == 0)
                    break;
                face.push_back(c);
            }
            font.face = toUtf8(face);
            store(r.u32(8), font);
            break;
        }
        case 49: store(r.u32(8), Palette{}); break;
        case 40: {
            if (GdiObject* o = object(r.u32(8)))
                *o = std::monostate{};
            break;
        }
        case 42: {
            const double l = r.i32(8), t = r.i32(12), rt = r.i32(16), b = r.i32(20);
            draw(ellipse(l, t, rt, b), true, true);
            break;
        }
        case 43: {
            const double l = r.i32(8), t = r.i32(12), rt = r.i32(16), b = r.i32(20);
            draw(rectangle(l, t, rt, b), true, true);
            break;
        }
        case 44: {
            const double l = r.i32(8), t = r.i32(12), rt = r.i32(16), b = r.i32(20);
            draw(roundRect(l, t, rt, b, r.i32(24), r.i32(28)), true, true);
            break;
        }
        case 45: case 46: case 47: case 55: {  // ARC, CHORD, PIE, ARCTO
            const double l = r.i32(8), t = r.i32(12), rt = r.i32(16), b = r.i32(20);
            const PointF start = pointL(r, 24), end = pointL(r, 32);
            const ArcKind kind = type == 46 ? ArcKind::Chord : type == 47 ? ArcKind::Pie : ArcKind::Open;
            const Path p = arc(l, t, rt, b, start, end, kind, type == 55);
            if (type == 55 && p.hasCurrent())
                dc_.position = p.points().back();
            draw(p, kind != ArcKind::Open, true);
            break;
        }
        case 41: {  // ANGLEARC
            const PointF c = pointL(r, 8);
            const double radius = r.u32(16);
            const double start = r.f32(20), sweep = r.f32(24);
            if (!std::isfinite(start) || !std::isfinite(sweep) || std::abs(sweep) > 36000)
                break;
            Path p;
            p.moveTo(dc_.position);
            constexpr double rad = 3.14159265358979323846 / 180;
            appendArc(p, c, radius, radius, start * rad, std::clamp(sweep, -360.0, 360.0) * rad, true);
            dc_.position = p.points().back();
            draw(p, false, true);
            break;
        }
        case 54: lineTo(pointL(r, 8)); break;
        case 56:
        case 92: polyDraw(r, type == 92); break;
        case 57: dc_.clockwise = r.u32(8) == 2; break;
        case 58: dc_.pen.miterLimit = r.u32(8); break;
        case 59: beginPath(); break;
        case 60: endPath(); break;
        case 61: closeFigure(); break;
        case 62: drawPathBracket(true, false); break;
        case 63: drawPathBracket(true, true); break;
        case 64: drawPathBracket(false, true); break;
        case 65: case 66: break;  // flattening and widening change no pixels we draw
        case 67: selectClipPath(static_cast<int>(r.u32(8))); break;
        case 68: abortPath(); break;
        case 71: {  // FILLRGN
            const std::uint32_t bytes = r.u32(24);
            GdiObject* o = object(r.u32(28));
            if (const Brush* b = o ? std::get_if<Brush>(o) : nullptr)
                fillDevicePath(regionPath(r, 32, bytes), *b);
            break;
        }
        case 74:  // PAINTRGN
            fillDevicePath(regionPath(r, 28, r.u32(24)), dc_.brush);
            break;
        case 75: {  // EXTSELECTCLIPRGN
            const std::uint32_t bytes = r.u32(8);
            const std::uint32_t mode = r.u32(12);
            if (mode == 5 && bytes < 32) {
                resetClip();
                break;
            }
            static constexpr ClipStep::Kind kinds[] = {ClipStep::Kind::Intersect, ClipStep::Kind::Intersect,
                ClipStep::Kind::Unite, ClipStep::Kind::Xor, ClipStep::Kind::Exclude, ClipStep::Kind::Replace};
            if (mode >= 1 && mode <= 5)
                addClip(kinds[mode], regionPath(r, 16, bytes));
            break;
        }
        case 76: blockTransfer(r, false); break;  // EMR_BITBLT
        case 77: blockTransfer(r, true); break;  // EMR_STRETCHBLT
        case 80: {  // SETDIBITSTODEVICE
            const double x = r.i32(24), y = r.i32(28), sx = r.i32(32), sy = r.i32(36);
            const double w = r.i32(40), h = r.i32(44);
            if (const auto bmp = bitmapAt(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60), r.u32(64) == 1)) {
                const double top = bmp->height - sy - h;
                drawBitmap(*bmp, {sx, top, w, h}, {x, y, w, h}, 0x00CC0020);
            }
            break;
        }
        case 81: {  // STRETCHDIBITS
            const double x = r.i32(24), y = r.i32(28), sx = r.i32(32), sy = r.i32(36);
            const double sw = r.i32(40), sh = r.i32(44);
            const std::uint32_t rop = r.u32(68);
            const double w = r.i32(72), h = r.i32(76);
            if (const auto bmp = bitmapAt(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60), r.u32(64) == 1)) {
                // Source y counts from the bottom row of the DIB.
                const double top = bmp->height - sy - sh;
                drawBitmap(*bmp, {sx, top, sw, sh}, {x, y, w, h}, rop);
            }
            break;
        }
        case 114: {  // ALPHABLEND: as STRETCHBLT with a blend function in place of the ROP
            const double x = r.i32(24), y = r.i32(28), w = r.i32(32), h = r.i32(36);
            const double sx = r.i32(44), sy = r.i32(48);
            const std::uint32_t offBmi = r.u32(84), cbBmi = r.u32(88), offBits = r.u32(92), cbBits = r.u32(96);
            const double sw = r.i32(100), sh = r.i32(104);
            if (const auto bmp = bitmapAt(r, offBmi, cbBmi, offBits, cbBits, r.u32(80) == 1, true))
                drawBitmap(*bmp, {sx, sy, sw, sh}, {x, y, w, h}, 0x00CC0020);
            break;
        }
        case 83: text(r, false); break;
        case 108: smallText(r); break;
        case 118: gradientFill(r); break;
        case 84: text(r, true); break;
        default: break;  // comments (EMF+ too), palettes, colour management
        }
    }

    static Matrix xform(const Reader& r, std::size_t at)
    {
        Matrix m{r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20)};
        for (const double v : {m.m11, m.m12, m.m21, m.m22, m.dx, m.dy}) {
            if (!std::isfinite(v) || std::abs(v) > 1e9)
                return Matrix{};
        }
        return m;
    }

    void polyDraw(const Reader& r, bool small)
    {
        const std::uint32_t count = r.u32(24);
        const std::vector<PointF> pts = points(r, 28, count, small);
        const auto types = r.bytes(28 + std::size_t{count} * (small ? 4 : 8), count);
        Path p;
        p.moveTo(dc_.position);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t t = types[i] & 0x06;
            if (t == 0x06) {
                p.moveTo(pts[i]);
            } else if (t == 0x04 && i + 2 < count) {
                p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                i += 2;
            } else {
                p.lineTo(pts[i]);
            }
            if (types[i] & 0x01)
                p.close();
        }
        if (count > 0)
            dc_.position = pts[count - 1];
        draw(p, false, true);
    }

    Header header_;
    std::map<std::uint32_t, GdiObject> objects_;
};

}  // namespace

Size emfSize(const Reader& file, float twipsX, float twipsY)
{
    const Header h = headerOf(file);
    return pictureSize(h.frame.w / 2540 * 1440, h.frame.h / 2540 * 1440, twipsX, twipsY);
}

void playEmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas, Spent& spent)
{
    const Header header = headerOf(file);
    const Size size = emfSize(file, twipsX, twipsY);
    canvas.begin(size.width, size.height);
    EmfPlayer player(canvas, size, header, spent);
    player.run(file);
}

}  // namespace tessaron::metafile
