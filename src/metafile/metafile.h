#pragma once
// Windows metafiles (WMF, placeable or standard, and EMF) played onto a small drawing
// interface. The player keeps the whole device context (mapping, objects, paths, clip)
// and hands the canvas finished shapes in logical units with the transform to pixels,
// so a canvas only has to draw. Files are untrusted, and treated as Windows plays them:
// a record that cannot be played (too short for its parameters, unknown, pointing at no
// object, holding an oversized bitmap) is skipped; a broken record chain ends the
// drawing where it breaks. A malformed header, a file shorter than its header says, a
// chain broken before anything was drawn and a file that asks for more work or memory
// than any real drawing needs are error 481.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tessaron::metafile {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct PointF {
    double x = 0;
    double y = 0;
};

struct RectF {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
};

// An affine map, applied as x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Matrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    PointF map(PointF p) const { return {m11 * p.x + m21 * p.y + dx, m12 * p.x + m22 * p.y + dy}; }
    // This map first, then `then`.
    Matrix followedBy(const Matrix& then) const;
    double determinant() const { return m11 * m22 - m12 * m21; }
};

class Path {
public:
    enum class Op : std::uint8_t { Move, Line, Cubic, Close };

    void moveTo(PointF p);
    void lineTo(PointF p);
    void cubicTo(PointF c1, PointF c2, PointF end);
    void close();
    void append(const Path& other);
    void clear();
    bool empty() const { return ops_.empty(); }
    const std::vector<Op>& ops() const { return ops_; }
    const std::vector<PointF>& points() const { return points_; }  // Cubic takes three
    bool hasCurrent() const { return !points_.empty(); }
    PointF current() const { return points_.back(); }

private:
    std::vector<Op> ops_;
    std::vector<PointF> points_;
    std::size_t figureStart_ = 0;
};

// The axis-aligned rectangles that make up the whole of `path`, each a figure of four
// corners, as clip records and regions give them; empty when the path holds anything
// else. Normalised: x, y the top left, w and h not negative.
std::vector<RectF> rectanglesOf(const Path& path);

// A clip of up to this many rectangles is combined rectangle by rectangle; one of more,
// or of other outlines, is filled into a mask of its box.
inline constexpr std::size_t kClipRectangles = 64;

// 32-bit pixels, top row first, 0xAARRGGBB.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool hasAlpha = false;  // premultiplied alpha, from an alpha blend
    std::vector<std::uint32_t> pixels;
};

struct Pen {
    enum class Style : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Null, InsideFrame };
    enum class Cap : std::uint8_t { Round, Square, Flat };
    enum class Join : std::uint8_t { Round, Bevel, Miter };
    Style style = Style::Solid;
    Cap cap = Cap::Round;
    Join join = Join::Round;
    double width = 0;       // logical units; 0 draws one device pixel wide
    bool cosmetic = true;   // one device pixel whatever the mapping
    double miterLimit = 10;
    Rgb color{};
};

struct Brush {
    enum class Style : std::uint8_t { Solid, Null, Hatched, Pattern };
    Style style = Style::Solid;
    Rgb color{255, 255, 255};
    int hatch = 0;  // HS_HORIZONTAL .. HS_DIAGCROSS
    std::shared_ptr<const Bitmap> pattern;
};

struct Font {
    double height = 12;  // logical units; negative asks for the character height
    double width = 0;
    double escapement = 0;  // tenths of a degree, anticlockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charset = 0;
    std::string face;  // UTF-8
};

// One step of building the clip, in device pixels; the clip is these steps applied in
// order to the whole picture.
struct ClipStep {
    enum class Kind : std::uint8_t { Intersect, Exclude, Replace, Unite, Xor };
    Kind kind = Kind::Intersect;
    Path devicePath;
    bool winding = false;
};
using Clip = std::shared_ptr<const std::vector<ClipStep>>;  // null: no clip

// Text alignment flags, as in the files.
inline constexpr unsigned kAlignUpdateCp = 1, kAlignRight = 2, kAlignCenter = 6,
                          kAlignBottom = 8, kAlignBaseline = 24;

struct DrawState {
    Matrix toDevice;  // logical units to picture pixels
    Pen pen;
    Brush brush;
    Font font;
    Rgb textColor{0, 0, 0};
    Rgb backColor{255, 255, 255};
    bool opaqueBackground = true;
    bool winding = false;  // polygon fill mode
    int rop2 = 13;          // R2_COPYPEN
    unsigned textAlign = 0;
    Clip clip;
};

// An ExtTextOut with its options.
struct TextRun {
    PointF reference;             // logical
    std::u16string text;
    std::vector<double> advances; // logical units per character, empty for the font's
    bool opaqueRect = false;      // fill `rect` with the background colour first
    bool clipRect = false;        // clip the text to `rect`
    RectF rect;                   // logical
};

class MetafileCanvas {
public:
    virtual ~MetafileCanvas() = default;
    // Called once before any drawing, with the natural size in pixels.
    virtual void begin(std::int32_t width, std::int32_t height) = 0;
    virtual void drawPath(const Path& path, const DrawState& state, bool fill, bool stroke) = 0;
    virtual void drawText(const TextRun& run, const DrawState& state) = 0;
    // `source` is in bitmap pixels; `rop` a ternary raster operation (SRCCOPY and the
    // like); `dest` logical.
    virtual void drawBitmap(const Bitmap& bitmap, const RectF& source, const RectF& dest,
        std::uint32_t rop, const DrawState& state) = 0;
    // A pattern operation without a source (PatBlt and BitBlt without bitmap).
    virtual void fillRect(const RectF& dest, std::uint32_t rop, const DrawState& state) = 0;
};

// The largest picture a metafile may ask for; bigger ones are scaled down to fit.
inline constexpr std::int32_t kMaxSide = 4096;
inline constexpr std::int64_t kMaxPixels = 12'000'000;

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// True when the first bytes are those of a WMF (placeable or standard) or an EMF.
bool looksLikeMetafile(std::span<const std::uint8_t> head);

// The first bytes of a file are enough for statedLength().
inline constexpr std::size_t kLengthHeadBytes = 52;

// How many bytes the metafile starting with `head` says it takes: its placeable header
// and the WMF header's size in words, or the EMF header's byte count. Nothing past that
// is read by naturalSize() or play(), so a caller need read no more of a longer file; a
// shorter one is read as it is, and then refused for the records it lost. When `head`
// is too short to tell, or is no metafile, it is the largest length there is.
std::uint64_t statedLength(std::span<const std::uint8_t> head);

// The natural size in pixels: a placeable WMF's box in its units per inch, a standard
// WMF's window extent taken as twips, an EMF's frame in hundredths of a millimetre;
// converted to twips and then to pixels with the twips-per-pixel factors. 481 when the
// file is not a metafile or has no size.
Size naturalSize(std::span<const std::uint8_t> data, float twipsX, float twipsY);

// What playing a file has cost so far: the records read and the work charged for them,
// in nanoseconds of drawing. It keeps what it was when the play ended, also when the
// play ran out of budget.
struct Spent {
    std::size_t records = 0;
    double work = 0;
};

// The most work one play may do: 0.3 s of drawing, which a busy machine may stretch to
// twice that, and the dialog previews a picture named at start-up twice. A file that
// asks for more is refused (481) when its work reaches this.
inline constexpr double kWorkLimit = 300e6;

// Plays the whole file onto the canvas (begin() first, at the natural size); 481 as
// above, possibly after some drawing. `spent`, when given, is kept up to date.
void play(std::span<const std::uint8_t> data, float twipsX, float twipsY, MetafileCanvas& canvas,
    Spent* spent = nullptr);

}  // namespace tessaron::metafile
