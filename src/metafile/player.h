#pragma once
// What WMF and EMF playback share: the device context with its save stack, the work
// budget, shape outlines, clip steps, DIB decoding and text decoding.

#include "metafile/metafile.h"
#include "metafile/reader.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessaron::metafile {

// The first four bytes of a placeable WMF.
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Caps that no real drawing comes near and that keep a hostile file well under a second.
inline constexpr std::size_t kMaxRecords = 1'000'000;
// Work is counted in pixels of plain rectangle fill, the cheapest drawing; anti-aliased
// curves and strokes cost several times that per pixel, and every point costs an edge.
inline constexpr double kWorkLimit = 400e6;
inline constexpr double kPointWork = 64;
inline constexpr double kShapeWork = 4;
inline constexpr double kCrossingWork = 64;
inline constexpr double kBitmapWork = 32;
inline constexpr double kClipPointWork = 1024;
// Skipping a record unwinds an exception, some microseconds: the time of ten thousand
// pixels of fill. A file of nothing but bad records runs out of budget in a fraction of
// a second, as one of nothing but fills does.
inline constexpr double kSkipWork = 16384;
inline constexpr std::size_t kMaxSaveDepth = 1024;
inline constexpr std::size_t kMaxClipSteps = 256;
inline constexpr std::int64_t kMaxBitmapPixels = 16'000'000;

struct Palette {};
struct Region {
    Path outline;  // WMF: logical units; EMF: recording-device pixels
};
// An object whose record could not be read. It holds its slot, so the objects after it
// keep the indices their writer gave them; selecting it changes nothing.
struct Unreadable {};
using GdiObject = std::variant<std::monostate, Pen, Brush, Font, Palette, Region, Unreadable>;

struct DeviceContext {
    int mapMode = 1;  // MM_TEXT
    PointF windowOrg{0, 0};
    PointF windowExt{1, 1};
    PointF viewportOrg{0, 0};
    PointF viewportExt{1, 1};
    Matrix world;
    Pen pen;
    Brush brush;
    Font font;
    Rgb textColor{0, 0, 0};
    Rgb backColor{255, 255, 255};
    bool opaqueBackground = true;
    bool winding = false;
    int rop2 = 13;
    unsigned textAlign = 0;
    Clip clip;
    PointF position{0, 0};
    bool clockwise = false;
};

class Player {
public:
    Player(MetafileCanvas& canvas, std::int32_t width, std::int32_t height);
    virtual ~Player() = default;

protected:
    // Spends drawing work; 481 when the file has used up its budget.
    void charge(double work);
    void countRecord();

    // Plays one record; false when it was a bad record and has been skipped. Limits
    // (work, records, saves, clip steps) still end the whole play with 481.
    template <typename Play>
    bool playRecord(Play&& play)
    {
        try {
            play();
            return true;
        } catch (const BadRecord&) {
            charge(kSkipWork);
            return false;
        }
    }
    // A record chain that breaks (a size no record can have, or one past the end of the
    // file) ends the drawing there and what came before shows; with nothing drawn yet
    // there is no picture, 481.
    void chainBroken() const
    {
        if (!drawn_)
            malformed();
    }

    // The canvas, for drawing on it.
    MetafileCanvas& canvas()
    {
        drawn_ = true;
        return canvas_;
    }

    double shapeWork(const Path& path, const Matrix& toPicture, double penWidth, bool fill, bool stroke) const;

    // The page transform (window, viewport, map mode) into device units of the
    // recording, followed by `deviceToPicture_`.
    Matrix toDevice() const;
    virtual Matrix pageToDevice() const { return pageTransform(dc_.mapMode); }
    Matrix pageTransform(int mapMode) const;
    DrawState state() const;

    // Drawing: outside a path bracket the shape is drawn, inside it joins the path.
    void draw(const Path& logical, bool fill, bool stroke);
    void fillWithBrush(const Path& logical, const Brush& brush);
    void drawText(TextRun run);
    void drawBitmap(const Bitmap& bitmap, const RectF& source, const RectF& dest, std::uint32_t rop);
    void patternFill(const RectF& dest, std::uint32_t rop);

    // Paths (EMF brackets). Points are kept in picture pixels as GDI keeps them in
    // device units.
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void drawPathBracket(bool fill, bool stroke);
    void selectClipPath(int mode);

    void lineTo(PointF p);
    void moveTo(PointF p) { dc_.position = p; if (inPath_) path_.moveTo(toDevice().map(p)); }
    void polyline(const std::vector<PointF>& points, bool fromCurrent);
    void polyBezier(const std::vector<PointF>& points, bool fromCurrent);

    // Clip steps; `devicePath` already in picture pixels.
    void addClip(ClipStep::Kind kind, Path devicePath, bool winding = false);
    void resetClip();
    void chargeClip();
    static double patternWork(const Brush& brush);
    void intersectClipRect(const RectF& logical);
    void excludeClipRect(const RectF& logical);
    void offsetClip(PointF logicalDelta);

    void save();
    void restore(int which);

    // Shapes in logical units.
    static Path rectangle(double l, double t, double r, double b);
    static Path ellipse(double l, double t, double r, double b);
    static Path roundRect(double l, double t, double r, double b, double w, double h);
    enum class ArcKind { Open, Chord, Pie };
    Path arc(double l, double t, double r, double b, PointF start, PointF end, ArcKind kind,
        bool continueFromCurrent = false) const;
    static void appendArc(Path& path, PointF centre, double rx, double ry, double startAngle,
        double sweep, bool connect);

    // A packed DIB (BITMAPINFO followed or not by its bits). Only what the bytes justify
    // is allocated; unsupported compressions give nullopt and the record is skipped.
    static std::optional<Bitmap> decodeDib(const Reader& info, const Reader& bits, bool paletteIndices,
        bool keepAlpha = false);

    // Text of an 8-bit record in the code page of the font's character set.
    static std::u16string decodeAnsi(std::span<const std::uint8_t> bytes, std::uint8_t charset);

    static std::string toUtf8(std::u16string_view text);

    static Rgb colorRef(const Reader& r, std::size_t offset)
    {
        return {r.u8(offset), r.u8(offset + 1), r.u8(offset + 2)};
    }
    static Pen stockPen(int which);
    static Brush stockBrush(int which);

    std::int32_t width_;
    std::int32_t height_;
    Matrix deviceToPicture_;
    PointF devicePerMm_{96 / 25.4, 96 / 25.4};
    DeviceContext dc_;
    std::vector<DeviceContext> saved_;
    bool inPath_ = false;
    Path path_;  // picture pixels

private:
    MetafileCanvas& canvas_;
    bool drawn_ = false;
    double work_ = 0;
    std::size_t records_ = 0;
    double deviceArea(const Path& logical, double penWidth) const;
};

// The two formats.
Size wmfSize(const Reader& file, float twipsX, float twipsY);
void playWmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas);
Size emfSize(const Reader& file, float twipsX, float twipsY);
void playEmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas);

// Pixels from a size in twips, scaled down to the largest picture allowed; 481 for an
// empty or meaningless size.
Size pictureSize(double widthTwips, double heightTwips, float twipsX, float twipsY);

}  // namespace tessaron::metafile
