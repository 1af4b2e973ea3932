// The metafile player without Qt: sizes, mapping, the device context and, above all,
// how it treats hostile files.

#include "platform/metafile/metafile.h"
#include "platform/runtime_error.h"
#include "record_writer.h"

#include <gtest/gtest.h>


namespace tessaron {
namespace {

using namespace metafile;
using testing::Bytes;
using testing::EmfWriter;
using testing::WmfWriter;

struct Call {
    char kind;  // 'p'ath, 't'ext, 'b'itmap, 'f'ill
    PointF firstDevice;
    DrawState state;
    bool fill = false;
    bool stroke = false;
    std::u16string text;
    Bitmap bitmap;
};

class RecordingCanvas : public MetafileCanvas {
public:
    void begin(std::int32_t w, std::int32_t h) override { size = {w, h}; }
    void drawPath(const Path& path, const DrawState& s, bool fill, bool stroke) override
    {
        calls.push_back({'p', s.toDevice.map(path.points().front()), s, fill, stroke, {}, {}});
    }
    void drawText(const TextRun& run, const DrawState& s) override
    {
        calls.push_back({'t', s.toDevice.map(run.reference), s, false, false, run.text, {}});
    }
    void drawBitmap(const Bitmap& b, const RectF&, const RectF& dest, std::uint32_t, const DrawState& s) override
    {
        calls.push_back({'b', s.toDevice.map({dest.x, dest.y}), s, false, false, {}, b});
    }
    void fillRect(const RectF& dest, std::uint32_t, const DrawState& s) override
    {
        calls.push_back({'f', s.toDevice.map({dest.x, dest.y}), s, true, false, {}, {}});
    }
    Size size;
    std::vector<Call> calls;
};

int errorOf(const Bytes& file, MetafileCanvas& canvas)
{
    try {
        play(file, 15, 15, canvas);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

int errorOf(const Bytes& file)
{
    RecordingCanvas canvas;
    return errorOf(file, canvas);
}

TEST(MetafileSize, ComesFromTheHeaderInTwips)
{
    const struct {
        const char* what;
        Bytes file;
        float twips;
        Size expected;
    } cases[] = {
        {"placeable, 1440 units per inch", WmfWriter(1440, 720).finish(), 15, {96, 48}},
        {"placeable, 2540 units per inch", WmfWriter(2540, 5080, 2540).finish(), 15, {96, 192}},
        {"placeable on a 120 dpi screen", WmfWriter(1440, 720).finish(), 12, {120, 60}},
        {"standard WMF: window extent as twips", WmfWriter(3000, 1500, 0).finish(), 15, {200, 100}},
        {"EMF frame in hundredths of a millimetre", EmfWriter(2540, 1270).finish(), 15, {96, 48}},
    };
    for (const auto& c : cases) {
        const Size s = naturalSize(c.file, c.twips, c.twips);
        EXPECT_EQ(s.width, c.expected.width) << c.what;
        EXPECT_EQ(s.height, c.expected.height) << c.what;
    }
}

TEST(MetafileSize, LargeDrawingsShrinkToTheCapAndAbsurdOrEmptyOnesAreRefused)
{
    // 300 by 150 inches: shown at the cap, aspect kept, never allocated in full.
    const Size big = naturalSize(WmfWriter(30000, 15000, 100).finish(), 15, 15);
    EXPECT_EQ(big.width, kMaxSide);
    EXPECT_EQ(big.height, kMaxSide / 2);
    const Size wide = naturalSize(EmfWriter(300'000, 250'000).finish(), 15, 15);  // 3 m
    EXPECT_LE(std::int64_t{wide.width} * wide.height, kMaxPixels);

    const Bytes refused[] = {
        WmfWriter(0, 100).finish(),               // empty box
        WmfWriter(0, 0, 0).finish(),              // standard WMF with an empty window
        WmfWriter(30000, 30000, 1).finish(),      // 30000 inches
        EmfWriter(0x7FFFFFFF, 0x7FFFFFFF).finish(),
        EmfWriter(0, 100).finish(),
        Bytes{0xD7, 0xCD, 0xC6, 0x9A},
        Bytes{},
    };
    for (const Bytes& file : refused)
        EXPECT_EQ(errorOf(file), err::InvalidPicture);
}

TEST(MetafileRecords, SizeZeroOrPastTheEndIsRefused)
{
    Bytes zero = WmfWriter(100, 100).rectangle(0, 0, 10, 10).finish();
    testing::set32(zero, 22 + 18, 0);
    EXPECT_EQ(errorOf(zero), err::InvalidPicture);

    Bytes past = WmfWriter(100, 100).rectangle(0, 0, 10, 10).finish();
    testing::set32(past, 22 + 18, 0x7FFFFFF0);
    EXPECT_EQ(errorOf(past), err::InvalidPicture);

    Bytes emfZero = EmfWriter(1000, 1000).rectangle(0, 0, 10, 10).finish();
    testing::set32(emfZero, 108 + 4, 0);
    EXPECT_EQ(errorOf(emfZero), err::InvalidPicture);

    Bytes emfPast = EmfWriter(1000, 1000).rectangle(0, 0, 10, 10).finish();
    testing::set32(emfPast, 108 + 4, 0x7FFFFFF0);
    EXPECT_EQ(errorOf(emfPast), err::InvalidPicture);

    Bytes emfHeader = EmfWriter(1000, 1000).finish();
    testing::set32(emfHeader, 4, 8);
    EXPECT_EQ(errorOf(emfHeader), err::InvalidPicture);
}

TEST(MetafileRecords, CountsBeyondTheRecordAreRefused)
{
    // A polygon claiming 1000 points with two present, in both formats.
    EXPECT_EQ(errorOf(WmfWriter(100, 100).record(0x0324, {1000, 0, 0, 10, 10}).finish()), err::InvalidPicture);
    EXPECT_EQ(errorOf(WmfWriter(100, 100).record(0x0538, {2, 3, 0x7FFF, 0, 0}).finish()), err::InvalidPicture);
    EXPECT_EQ(errorOf(EmfWriter(1000, 1000).record(3, {0, 0, 0, 0, 0x40000000, 0, 0, 10, 10}).finish()),
        err::InvalidPicture);
    EXPECT_EQ(errorOf(EmfWriter(1000, 1000).record(91, {0, 0, 0, 0, 0x20000000, 4, 4}).finish()),
        err::InvalidPicture);
    // Text whose string offset points outside the record.
    EXPECT_EQ(errorOf(EmfWriter(1000, 1000)
                          .record(84, {0, 0, 0, 0, 1, 0, 0, 10, 10, 5, 0x7FFF0000, 0, 0, 0, 0, 0, 0})
                          .finish()),
        err::InvalidPicture);
}

TEST(MetafileObjects, IndicesOutsideTheTableAreIgnored)
{
    RecordingCanvas canvas;
    const Bytes wmf = WmfWriter(100, 100)
                          .brush(0, 0x0000FF)
                          .select(0)
                          .select(7)       // nothing there
                          .select(0xFFFF)  // far outside
                          .record(0x01F0, {0x1234})
                          .rectangle(0, 0, 50, 50)
                          .finish();
    ASSERT_EQ(errorOf(wmf, canvas), 0);
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].state.brush.color, (Rgb{0xFF, 0, 0}));  // COLORREF 0x00BBGGRR

    RecordingCanvas emfCanvas;
    const Bytes emf = EmfWriter(1000, 1000)
                          .brush(1, 0, 0x00FF00)
                          .brush(16, 0, 0xFF0000)       // beyond the header's 16 handles
                          .brush(0x7FFFFFFF, 0, 0xFF0000)
                          .select(1)
                          .select(16)
                          .select(0x7FFFFFFF)
                          .rectangle(0, 0, 10, 10)
                          .finish();
    ASSERT_EQ(errorOf(emf, emfCanvas), 0);
    ASSERT_EQ(emfCanvas.calls.size(), 1u);
    EXPECT_EQ(emfCanvas.calls[0].state.brush.color, (Rgb{0, 0xFF, 0}));
}

TEST(MetafileObjects, WmfObjectsFillTheLowestFreeSlot)
{
    RecordingCanvas canvas;
    const Bytes wmf = WmfWriter(100, 100)
                          .brush(0, 0x0000FF)  // slot 0
                          .brush(0, 0x00FF00)  // slot 1
                          .record(0x01F0, {0})
                          .brush(0, 0xFF0000)  // reuses slot 0
                          .select(0)
                          .rectangle(0, 0, 10, 10)
                          .select(1)
                          .rectangle(0, 0, 10, 10)
                          .finish();
    ASSERT_EQ(errorOf(wmf, canvas), 0);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].state.brush.color, (Rgb{0, 0, 0xFF}));
    EXPECT_EQ(canvas.calls[1].state.brush.color, (Rgb{0, 0xFF, 0}));
}

TEST(MetafileMapping, WindowAndWorldTransformsLandInPictureCoordinates)
{
    // Placeable box 0..1440 maps onto 96 pixels; a window moved to 720 shifts by 48.
    RecordingCanvas wmf;
    ASSERT_EQ(errorOf(WmfWriter(1440, 1440).record(0x020B, {720, 720}).rectangle(720, 720, 900, 900).finish(), wmf), 0);
    ASSERT_EQ(wmf.calls.size(), 1u);
    EXPECT_NEAR(wmf.calls[0].firstDevice.x, 0, 1e-6);
    EXPECT_NEAR(wmf.calls[0].firstDevice.y, 0, 1e-6);

    // EMF: MM_TEXT device pixels of a 96 dpi recording onto a frame of 100 pixels, with a
    // world translation of (10, 20).
    RecordingCanvas emf;
    Bytes xform;
    for (float f : {1.f, 0.f, 0.f, 1.f, 10.f, 20.f})
        testing::putFloat(xform, f);
    ASSERT_EQ(errorOf(EmfWriter(testing::hmm(100), testing::hmm(100)).raw(35, xform).rectangle(5, 5, 8, 8).finish(), emf), 0);
    ASSERT_EQ(emf.calls.size(), 1u);
    EXPECT_NEAR(emf.calls[0].firstDevice.x, 15, 0.1);
    EXPECT_NEAR(emf.calls[0].firstDevice.y, 25, 0.1);

    // MM_ANISOTROPIC with window 0..200 onto viewport 0..100: half size.
    RecordingCanvas aniso;
    ASSERT_EQ(errorOf(EmfWriter(testing::hmm(100), testing::hmm(100))
                          .record(17, {8})
                          .record(9, {200, 200})
                          .record(11, {100, 100})
                          .rectangle(100, 60, 150, 150)
                          .finish(),
                  aniso),
        0);
    ASSERT_EQ(aniso.calls.size(), 1u);
    EXPECT_NEAR(aniso.calls[0].firstDevice.x, 50, 0.1);
    EXPECT_NEAR(aniso.calls[0].firstDevice.y, 30, 0.1);
}

TEST(MetafileState, SaveAndRestoreBringBackObjectsAndClip)
{
    RecordingCanvas canvas;
    const Bytes wmf = WmfWriter(100, 100)
                          .brush(0, 0x0000FF)
                          .brush(0, 0x00FF00)
                          .select(0)
                          .record(0x001E, {})
                          .select(1)
                          .record(0x0416, {20, 20, 0, 0})  // IntersectClipRect
                          .rectangle(0, 0, 10, 10)
                          .record(0x0127, {static_cast<std::uint16_t>(-1)})
                          .rectangle(0, 0, 10, 10)
                          .record(0x0127, {static_cast<std::uint16_t>(-5)})  // nothing saved: ignored
                          .finish();
    ASSERT_EQ(errorOf(wmf, canvas), 0);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].state.brush.color, (Rgb{0, 0xFF, 0}));
    ASSERT_TRUE(canvas.calls[0].state.clip);
    EXPECT_EQ(canvas.calls[1].state.brush.color, (Rgb{0xFF, 0, 0}));
    EXPECT_FALSE(canvas.calls[1].state.clip);
}

TEST(MetafileText, AnsiAndUtf16AreDecoded)
{
    RecordingCanvas canvas;
    // "Ñú€" in Windows-1252 through TEXTOUT, then Cyrillic through a RUSSIAN_CHARSET font.
    Bytes text{3, 0, 0xD1, 0xFA, 0x80, 0, 10, 0, 10, 0};
    Bytes russian{2, 0, 0xCF, 0xF0, 10, 0, 10, 0};
    Bytes polish{4, 0, 0xA3, 0xF3, 'd', 0x9F, 10, 0, 10, 0};
    const Bytes wmf = WmfWriter(100, 100)
                          .raw(0x0521, text)
                          .font(-20, "Arial", 204)
                          .select(0)
                          .raw(0x0521, russian)
                          .font(-20, "Arial", 238)  // EASTEUROPE_CHARSET, slot 1
                          .select(1)
                          .raw(0x0521, polish)
                          .finish();
    ASSERT_EQ(errorOf(wmf, canvas), 0);
    ASSERT_EQ(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls[0].text, u"Ñú€");
    EXPECT_EQ(canvas.calls[1].text, u"Пр");
    EXPECT_EQ(canvas.calls[1].state.font.face, "Arial");
    EXPECT_EQ(canvas.calls[2].text, u"Łódź");
}

TEST(MetafileBitmaps, ClaimsBeyondTheirBytesAreRefused)
{
    const auto stretchDib = [](const Bytes& dib) {
        Bytes p;
        testing::put32(p, 0x00CC0020);
        for (int v : {0, 2, 2, 0, 0, 20, 20, 0, 0})
            testing::put16(p, v);
        p.insert(p.end(), dib.begin(), dib.end());
        return WmfWriter(100, 100).raw(0x0F43, p).finish();
    };
    RecordingCanvas canvas;
    ASSERT_EQ(errorOf(stretchDib(testing::dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF})), canvas), 0);
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].bitmap.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(canvas.calls[0].bitmap.pixels[3], 0xFFFFFFFFu);

    // Header says 60000 rows, the record holds two.
    EXPECT_EQ(errorOf(stretchDib(testing::dib24(2, 2, {0, 0, 0, 0}, 60000))), err::InvalidPicture);
}

TEST(MetafileLimits, EndlessWorkIsCutShort)
{
    // Every record fills the whole picture: far beyond any real drawing's work.
    WmfWriter many(4000 * 15, 3000 * 15);
    many.brush(0, 0).select(0);
    for (int i = 0; i < 200'000; ++i)
        many.rectangle(0, 0, 4000 * 15, 3000 * 15);
    RecordingCanvas canvas;
    EXPECT_EQ(errorOf(many.finish(), canvas), err::InvalidPicture);
    EXPECT_LT(canvas.calls.size(), 2000u);  // a few hundred whole-picture fills at most

    WmfWriter deep(100, 100);
    for (int i = 0; i < 5000; ++i)
        deep.record(0x001E, {});
    EXPECT_EQ(errorOf(deep.finish()), err::InvalidPicture);
}

}  // namespace
}  // namespace tessaron
