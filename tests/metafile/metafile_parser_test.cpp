// The metafile player without Qt: sizes, mapping, the device context and, above all,
// how it treats hostile files.

#include "metafile/metafile.h"
#include "core/platform/runtime_error.h"
#include "record_writer.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

using namespace metafile;
using testing::Bytes;
using testing::EmfWriter;
using testing::hmm;
using testing::WmfWriter;

struct Call {
    PointF firstDevice;  // the first point of the shape or text, in picture pixels
    DrawState state;
    std::u16string text;
};

class RecordingCanvas : public MetafileCanvas {
public:
    void begin(std::int32_t, std::int32_t) override {}
    void drawPath(const Path& p, const DrawState& s, bool, bool) override { calls.push_back({s.toDevice.map(p.points().front()), s, {}}); }
    void drawText(const TextRun& run, const DrawState& s) override { calls.push_back({s.toDevice.map(run.reference), s, run.text}); }
    void drawBitmap(const Bitmap&, const RectF&, const RectF&, std::uint32_t, const DrawState&) override {}
    void fillRect(const RectF&, std::uint32_t, const DrawState&) override {}
    std::vector<Call> calls;
};

// The error number of playing `file`, 0 when it plays.
int errorOf(const Bytes& file, RecordingCanvas* canvas = nullptr)
{
    RecordingCanvas scratch;
    try {
        play(file, 15, 15, canvas ? *canvas : scratch);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

std::vector<Call> callsOf(const Bytes& file)
{
    RecordingCanvas canvas;
    EXPECT_EQ(errorOf(file, &canvas), 0);
    return canvas.calls;
}

Bytes withSet32(Bytes file, std::size_t at, std::int64_t value)
{
    testing::set32(file, at, value);
    return file;
}

TEST(MetafileSize, ComesFromTheHeaderInTwipsAndLargeDrawingsShrinkToTheCap)
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
        // 300 by 150 inches: shown at the cap, aspect kept, never allocated in full.
        {"beyond the cap", WmfWriter(30000, 15000, 100).finish(), 15, {kMaxSide, kMaxSide / 2}},
    };
    for (const auto& c : cases) {
        const Size s = naturalSize(c.file, c.twips, c.twips);
        EXPECT_EQ(s.width, c.expected.width) << c.what;
        EXPECT_EQ(s.height, c.expected.height) << c.what;
    }
    const Size wide = naturalSize(EmfWriter(300'000, 250'000).finish(), 15, 15);  // 3 m
    EXPECT_LE(std::int64_t{wide.width} * wide.height, kMaxPixels);
}

Bytes words(std::initializer_list<int> values)
{
    Bytes b;
    testing::put16(b, values);
    return b;
}

Bytes longs(std::initializer_list<std::int64_t> values)
{
    Bytes b;
    testing::put32(b, values);
    return b;
}

// STRETCHDIB of `dib` onto 20 x 20 units, and EMR_STRETCHDIBITS of it.
Bytes wmfStretchDib(const Bytes& dib)
{
    Bytes p = longs({0x00CC0020});
    testing::put16(p, {0, 2, 2, 0, 0, 20, 20, 0, 0});
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

Bytes emfStretchDib(const Bytes& dib)
{
    // bounds, x, y, source x, y, w, h, then the DIB's offsets (80 past the record's
    // start), usage, ROP and destination size
    Bytes p = longs({0, 0, 20, 20, 0, 0, 0, 0, 2, 2, 80, 40, 120, static_cast<std::int64_t>(dib.size()) - 40, 0,
        0x00CC0020, 20, 20});
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

TEST(MetafileHostile, MalformedOrAbsurdFilesGive481)
{
    const Bytes wmfRect = WmfWriter(100, 100).rectangle(0, 0, 10, 10).finish();
    const Bytes emfRect = EmfWriter(1000, 1000).rectangle(0, 0, 10, 10).finish();
    WmfWriter deep(100, 100);  // saves without end
    for (int i = 0; i < 5000; ++i)
        deep.record(0x001E, {});
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty placeable box", WmfWriter(0, 100).finish()},
        {"standard WMF with an empty window", WmfWriter(0, 0, 0).finish()},
        {"30000 inches", WmfWriter(30000, 30000, 1).finish()},
        {"largest EMF frame", EmfWriter(0x7FFFFFFF, 0x7FFFFFFF).finish()},
        {"empty EMF frame", EmfWriter(0, 100).finish()},
        {"placeable key only", Bytes{0xD7, 0xCD, 0xC6, 0x9A}},
        {"no bytes", Bytes{}},
        {"EMF type without its header", Bytes{1, 0, 0, 0}},
        // Records lost: refused even though the records that are there could draw.
        {"WMF shorter than its header says", withSet32(wmfRect, 22 + 6, 0x7FFFFFF0)},
        {"EMF shorter than its header says", withSet32(emfRect, 48, static_cast<std::int64_t>(emfRect.size()) + 4)},
        // The record chain breaks before anything is drawn.
        {"WMF record of size 0", withSet32(wmfRect, 22 + 18, 0)},
        {"WMF record past the end", withSet32(wmfRect, 22 + 18, 0x7FFFFFF0)},
        {"EMF record of size 0", withSet32(emfRect, 108 + 4, 0)},
        {"EMF record size not a multiple of 4", withSet32(emfRect, 108 + 4, 22)},
        {"EMF record past the end", withSet32(emfRect, 108 + 4, 0x7FFFFFF0)},
        {"EMF header of 8 bytes", withSet32(EmfWriter(1000, 1000).finish(), 4, 8)},
        {"5000 nested saves", deep.finish()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.file), err::InvalidPicture) << c.what;
}

// As Windows plays them: a record that cannot be played is skipped and every other one
// draws. Each fault sits between a rectangle at the picture's corner and one at its
// centre; the second must still land where it belongs.
TEST(MetafileHostile, BadRecordsAreSkippedAndTheRestDraws)
{
    const Bytes tallDib = testing::dib24(2, 2, {0, 0, 0, 0}, 60000);
    Bytes sevenBitDib = testing::dib24(2, 2, {0, 0, 0, 0});
    sevenBitDib[14] = 7;
    const struct {
        const char* what;
        int function;
        Bytes params;
    } wmfFaults[] = {
        {"rectangle of two words", 0x041B, words({5, 5})},
        // Counts beyond the record: 1000 points with two present.
        {"polygon", 0x0324, words({1000, 0, 0, 10, 10})},
        {"polypolygon", 0x0538, words({2, 3, 0x7FFF, 0, 0})},
        {"text of 50 characters with one present", 0x0521, words({50, 'a'})},
        {"unknown function", 0x0999, words({1, 2, 3})},
        {"object index outside the table", 0x012D, words({0x7FFF})},
        {"DIB header claims 60000 rows, the record holds two", 0x0F43, wmfStretchDib(tallDib)},
        {"DIB of 7 bits per pixel", 0x0F43, wmfStretchDib(sevenBitDib)},
    };
    for (const auto& f : wmfFaults) {
        const Bytes file = WmfWriter(1500, 1500).rectangle(0, 0, 150, 150).raw(f.function, f.params).rectangle(750, 750, 900, 900).finish();
        RecordingCanvas canvas;
        EXPECT_EQ(errorOf(file, &canvas), 0) << f.what;
        ASSERT_EQ(canvas.calls.size(), 2u) << f.what;
        EXPECT_NEAR(canvas.calls[1].firstDevice.x, 50, 0.1) << f.what;
        EXPECT_NEAR(canvas.calls[1].firstDevice.y, 50, 0.1) << f.what;
    }
    const struct {
        const char* what;
        std::uint32_t type;
        Bytes params;
    } emfFaults[] = {
        {"rectangle of two values", 43, longs({5, 5})},
        {"polygon", 3, longs({0, 0, 0, 0, 0x40000000, 0, 0, 10, 10})},
        {"polypolygon16", 91, longs({0, 0, 0, 0, 0x20000000, 4, 4})},
        {"text offset outside the record", 84, longs({0, 0, 0, 0, 1, 0, 0, 10, 10, 5, 0x7FFF0000, 0, 0, 0, 0, 0, 0})},
        {"unknown type", 200, longs({1, 2, 3})},
        {"object index outside the table", 37, longs({0x7FFFFF})},
        {"clip region mode 9", 75, longs({0, 9})},
        {"DIB header claims 60000 rows, the record holds two", 81, emfStretchDib(tallDib)},
        {"DIB of 7 bits per pixel", 81, emfStretchDib(sevenBitDib)},
    };
    for (const auto& f : emfFaults) {
        const Bytes file = EmfWriter(hmm(100), hmm(100)).rectangle(0, 0, 10, 10).raw(f.type, f.params).rectangle(50, 50, 60, 60).finish();
        RecordingCanvas canvas;
        EXPECT_EQ(errorOf(file, &canvas), 0) << f.what;
        ASSERT_EQ(canvas.calls.size(), 2u) << f.what;
        EXPECT_NEAR(canvas.calls[1].firstDevice.x, 50, 0.1) << f.what;
        EXPECT_NEAR(canvas.calls[1].firstDevice.y, 50, 0.1) << f.what;
    }
}

// The chain breaks at the second of two rectangles: the first still shows.
TEST(MetafileHostile, ABrokenRecordChainEndsTheDrawingThere)
{
    const Bytes wmf = WmfWriter(1500, 1500).rectangle(0, 0, 150, 150).rectangle(750, 750, 900, 900).finish();
    const Bytes emf = EmfWriter(hmm(100), hmm(100)).rectangle(0, 0, 10, 10).rectangle(50, 50, 60, 60).finish();
    constexpr std::size_t wmfSecond = 22 + 18 + 14, emfSecondSize = 108 + 24 + 4;
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"WMF record of size 0", withSet32(wmf, wmfSecond, 0)},
        {"WMF record of 2 words", withSet32(wmf, wmfSecond, 2)},
        {"WMF record past the end", withSet32(wmf, wmfSecond, 0x7FFFFFF0)},
        {"EMF record of size 0", withSet32(emf, emfSecondSize, 0)},
        {"EMF record size not a multiple of 4", withSet32(emf, emfSecondSize, 26)},
        {"EMF record past the end", withSet32(emf, emfSecondSize, 0x7FFFFFF0)},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        EXPECT_EQ(errorOf(c.file, &canvas), 0) << c.what;
        ASSERT_EQ(canvas.calls.size(), 1u) << c.what;
        EXPECT_NEAR(canvas.calls[0].firstDevice.x, 0, 0.1) << c.what;
    }
}

TEST(MetafileHostile, EndlessWorkIsCutShort)
{
    // Every record fills the whole picture: far beyond any real drawing's work.
    WmfWriter many(4000 * 15, 3000 * 15);
    many.brush(0, 0).select(0);
    for (int i = 0; i < 200'000; ++i)
        many.rectangle(0, 0, 4000 * 15, 3000 * 15);
    RecordingCanvas canvas;
    EXPECT_EQ(errorOf(many.finish(), &canvas), err::InvalidPicture);
    EXPECT_LT(canvas.calls.size(), 2000u);  // a few hundred whole-picture fills at most

    // Skipping is work too: a file of nothing but bad records runs out of budget.
    WmfWriter bad(100, 100);
    for (int i = 0; i < 200'000; ++i)
        bad.record(0x041B, {});
    EXPECT_EQ(errorOf(bad.finish()), err::InvalidPicture);
}

TEST(MetafileObjects, LowestFreeSlotIndicesOutsideTheTableIgnoredAndUnreadableObjectsHoldTheirSlot)
{
    const auto wmf = callsOf(WmfWriter(100, 100)
                                 .brush(0, 0x0000FF)  // slot 0, red (COLORREF 0x00BBGGRR)
                                 .brush(0, 0x00FF00)  // slot 1
                                 .record(0x01F0, {0})
                                 .brush(0, 0xFF0000)  // reuses slot 0
                                 .select(0)
                                 .select(7)       // nothing there
                                 .select(0xFFFF)  // far outside
                                 .record(0x01F0, {0x1234})
                                 .rectangle(0, 0, 10, 10)
                                 .select(1)
                                 .rectangle(0, 0, 10, 10)
                                 .finish());
    ASSERT_EQ(wmf.size(), 2u);
    EXPECT_EQ(wmf[0].state.brush.color, (Rgb{0, 0, 0xFF}));
    EXPECT_EQ(wmf[1].state.brush.color, (Rgb{0, 0xFF, 0}));

    // An object too short to read still takes its slot: the writer numbered the next
    // ones counting it.
    const auto unreadable = callsOf(WmfWriter(100, 100)
                                        .brush(0, 0x0000FF)
                                        .record(0x02FA, {0})  // a pen of one word: slot 1
                                        .brush(0, 0x00FF00)   // slot 2
                                        .select(0)
                                        .select(2)
                                        .rectangle(0, 0, 10, 10)
                                        .finish());
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].state.brush.color, (Rgb{0, 0xFF, 0}));

    const auto emf = callsOf(EmfWriter(1000, 1000)
                                 .brush(1, 0, 0x00FF00)
                                 .brush(16, 0, 0xFF0000)  // beyond the header's 16 handles
                                 .brush(0x7FFFFFFF, 0, 0xFF0000)
                                 .select(1)
                                 .select(16)
                                 .select(0x7FFFFFFF)
                                 .rectangle(0, 0, 10, 10)
                                 .finish());
    ASSERT_EQ(emf.size(), 1u);
    EXPECT_EQ(emf[0].state.brush.color, (Rgb{0, 0xFF, 0}));
}

TEST(MetafileMapping, WindowAndWorldTransformsLandInPictureCoordinates)
{
    const struct {
        const char* what;
        Bytes file;
        PointF expected;
    } cases[] = {
        // Placeable box 0..1440 onto 96 pixels; a window moved to 720 shifts by 48.
        {"WMF window origin", WmfWriter(1440, 1440).record(0x020B, {720, 720}).rectangle(720, 720, 900, 900).finish(), {0, 0}},
        // MM_TEXT device pixels of a 96 dpi recording, with a world translation.
        {"EMF world transform", EmfWriter(hmm(100), hmm(100)).translate(10, 20).rectangle(5, 5, 8, 8).finish(), {15, 25}},
        {"EMF MM_ANISOTROPIC, window 0..200 onto viewport 0..100",
            EmfWriter(hmm(100), hmm(100)).record(17, {8}).record(9, {200, 200}).record(11, {100, 100}).rectangle(100, 60, 150, 150).finish(),
            {50, 30}},
    };
    for (const auto& c : cases) {
        const auto calls = callsOf(c.file);
        ASSERT_EQ(calls.size(), 1u) << c.what;
        EXPECT_NEAR(calls[0].firstDevice.x, c.expected.x, 0.1) << c.what;
        EXPECT_NEAR(calls[0].firstDevice.y, c.expected.y, 0.1) << c.what;
    }
}

TEST(MetafileText, AnsiAndUtf16AreDecoded)
{
    // "Ñú€" in Windows-1252 through TEXTOUT, then through RUSSIAN and EASTEUROPE fonts.
    const auto calls = callsOf(WmfWriter(100, 100)
                                   .raw(0x0521, {3, 0, 0xD1, 0xFA, 0x80, 0, 10, 0, 10, 0})
                                   .font(-20, "Arial", 204)
                                   .select(0)
                                   .raw(0x0521, {2, 0, 0xCF, 0xF0, 10, 0, 10, 0})
                                   .font(-20, "Arial", 238)  // slot 1
                                   .select(1)
                                   .raw(0x0521, {4, 0, 0xA3, 0xF3, 'd', 0x9F, 10, 0, 10, 0})
                                   .finish());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].text, u"Ñú€");
    EXPECT_EQ(calls[1].text, u"Пр");
    EXPECT_EQ(calls[1].state.font.face, "Arial");
    EXPECT_EQ(calls[2].text, u"Łódź");
}

}  // namespace
}  // namespace tessaron
