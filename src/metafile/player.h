#pragma once
// What WMF and EMF playback share: the device context with its save stack, the work
// budget, shape outlines, clip steps, DIB decoding and text decoding.

#include "metafile/metafile.h"
#include "metafile/reader.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessaron::metafile {

// The first four bytes of a placeable WMF.
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Caps that no real drawing comes near and that keep a hostile file well under a second.
inline constexpr std::size_t kMaxRecords = 1'000'000;

// Work is what drawing costs on the QPainter canvas, in nanoseconds of the machine the
// game is made on: bench/metafile_bench.cpp plays each kind of record alone and prints
// its time against its charge. A charge errs on the dear side, never by much: a file is
// refused at kWorkLimit, and a real drawing must not be.
inline constexpr double kRecordWork = 30;          // reading any record
inline constexpr double kSkipWork = 7'000;         // a record that cannot be played: an exception unwinds
inline constexpr double kCallWork = 3'000;         // anything handed to the canvas
inline constexpr double kPointWork = 60;           // a point of a shape, mapped and flattened
inline constexpr double kFillPixelWork = 0.2;      // a pixel of the box around a filled shape
inline constexpr double kCellWork = 150;           // a row or pixel an outline's edge crosses
inline constexpr double kRowCellWork = 3;          // the square of a row's cells: a rasteriser sorts them
inline constexpr double kHairlineWork = 32;        // a pixel of a one-pixel line
inline constexpr double kStrokePixelWork = 12;     // a pixel of a wide line
inline constexpr double kTextWork = 18'000;        // a run of text: its font looked up, laid out
inline constexpr double kGlyphWork = 1'500;        // a character of a size glyphs are cached in
inline constexpr double kAdvanceWork = 3'000;      // a character placed by its own advance
inline constexpr double kOutlineGlyphWork = 40;    // a pixel of a character too large to cache
inline constexpr double kCachedGlyphSize = 64;     // in pixels; larger ones are filled as outlines
inline constexpr double kFaceWork = 600'000;       // a face not drawn with before: a search of all fonts
inline constexpr double kFontWork = 60'000;        // a size, weight or angle of it not drawn with before
inline constexpr double kBitmapPixelWork = 2;      // a pixel a bitmap is decoded into or drawn onto
inline constexpr double kPatternPixelWork = 1;     // a pattern brush's pixel, copied for each fill
inline constexpr double kClipRectWork = 100;       // a rectangle of a clip, for each one combined with it
inline constexpr double kMaskPixelWork = 4;        // a pixel of a clip mask

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
    Player(MetafileCanvas& canvas, std::int32_t width, std::int32_t height, Spent& spent);
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

    // What the canvas spends on a shape: `penWidth` in picture pixels, 1 for a hairline.
    // When asked, the pixels its outline crosses and those of its box in the picture.
    double shapeWork(const Path& path, const Matrix& toPicture, double penWidth, bool fill, bool stroke,
        double* cellsCrossed = nullptr, double* boxPixels = nullptr) const;
    double textWork(const TextRun& run);

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
    Spent& spent_;
    std::set<std::string> facesUsed_;
    std::set<std::string> fontsUsed_;
    double areaOf(const RectF& logical) const;
};

// The two formats.
Size wmfSize(const Reader& file, float twipsX, float twipsY);
void playWmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas, Spent& spent);
Size emfSize(const Reader& file, float twipsX, float twipsY);
void playEmf(const Reader& file, float twipsX, float twipsY, MetafileCanvas& canvas, Spent& spent);

// Pixels from a size in twips, scaled down to the largest picture allowed; 481 for an
// empty or meaningless size.
Size pictureSize(double widthTwips, double heightTwips, float twipsX, float twipsY);

}  // namespace tessaron::metafile
