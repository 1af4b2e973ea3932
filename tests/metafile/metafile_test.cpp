// Metafiles: the player's sizes, text and, above all, how it treats hostile files,
// through a canvas that notes what is drawn; then, through the QPainter canvas, the
// pixels where each family of records must draw.

#include "metafile/metafile.h"
#include "ui/platform/metafile_render.h"
#include "core/platform/runtime_error.h"
#include "record_writer.h"

#include <gtest/gtest.h>

#include <QColor>

#include <string>
#include <tuple>

namespace tessaron {
namespace {

using namespace metafile;
using namespace testing;

// `at` is the first point of the shape or text, in picture pixels.
struct Call { PointF at; DrawState state; std::u16string text; };

// A canvas that notes what is drawn, and the error that stopped the drawing.
struct Played : MetafileCanvas {
    void begin(std::int32_t, std::int32_t) override {}
    void drawPath(const Path& p, const DrawState& s, bool, bool) override { calls.push_back({s.toDevice.map(p.points().front()), s, {}}); }
    void drawText(const TextRun& run, const DrawState& s) override { calls.push_back({s.toDevice.map(run.reference), s, run.text}); }
    void drawBitmap(const Bitmap&, const RectF&, const RectF&, std::uint32_t, const DrawState&) override {}
    void fillRect(const RectF&, std::uint32_t, const DrawState&) override {}
    int error = 0;
    std::vector<Call> calls;
};

Played played(const Bytes& file)
{
    Played p;
    try {
        play(file, 15, 15, p);
    } catch (const RuntimeError& e) {
        p.error = e.number();
    }
    return p;
}

// 100 x 100 pixel pictures: a rectangle at the corner, a record (a harmless SETBKMODE
// unless another is given), a rectangle at the centre.
Bytes wmfAround(int function = 0x0102, const Bytes& params = words({1}))
{
    return WmfWriter(1500, 1500).rectangle(0, 0, 150, 150).raw(function, params).rectangle(750, 750, 900, 900).finish();
}

Bytes emfAround(std::uint32_t type = 18, const Bytes& params = longs({1}))
{
    return EmfWriter(hmm(100), hmm(100)).rectangle(0, 0, 10, 10).raw(type, params).rectangle(50, 50, 60, 60).finish();
}

TEST(MetafileSize, ComesFromTheHeaderInTwipsAndLargeDrawingsShrinkToTheCap)
{
    // The painter's tests draw 1440 units an inch and EMF frames at their size, the
    // loader's a canvas of 96 units an inch too large to hold.
    const struct { const char* what; Bytes file; float twips; Size expected; } cases[] = {
        {"placeable on a 120 dpi screen", WmfWriter(1440, 720).finish(), 12, {120, 60}},
        {"standard WMF: window extent as twips", WmfWriter(3000, 1500, 0).finish(), 15, {200, 100}},
        // 300 by 150 inches: shown at the cap, proportions kept, never allocated in full.
        {"beyond the cap", WmfWriter(30000, 15000, 100).finish(), 15, {kMaxSide, kMaxSide / 2}},
    };
    for (const auto& c : cases) {
        const Size s = naturalSize(c.file, c.twips, c.twips);
        EXPECT_EQ(std::pair(s.width, s.height), std::pair(c.expected.width, c.expected.height)) << c.what;
    }
}

// As Windows plays them: a malformed or absurd file is refused; a record that cannot be
// played is skipped and the rest draws, the rectangle after it still at the centre; a
// broken record chain ends the drawing there, with only the corner rectangle shown, or
// nothing, and then the file is refused.
TEST(MetafileHostile, BadFilesAreRefusedBadRecordsSkippedAndBrokenChainsEndTheDrawing)
{
    WmfWriter deep(100, 100);  // saves without end
    for (int i = 0; i < 5000; ++i)
        deep.record(0x001E, {});
    const Bytes wmf = wmfAround(), emf = emfAround(), dib = dib2x2({0, 0, 0, 0});
    const Bytes tallDib = with32(dib, 8, 60000), sevenBitDib = with32(dib, 14, 7);  // height; bits per pixel
    enum Drawn { Refused, Corner, Both };
    std::vector<std::tuple<std::string, Bytes, Drawn>> cases = {
        {"empty placeable box", WmfWriter(0, 100).finish(), Refused},
        {"standard WMF with an empty window", WmfWriter(0, 0, 0).finish(), Refused},
        {"30000 inches", WmfWriter(30000, 30000, 1).finish(), Refused},
        {"largest EMF frame", EmfWriter(0x7FFFFFFF, 0x7FFFFFFF).finish(), Refused},
        {"empty EMF frame", EmfWriter(0, 100).finish(), Refused},
        {"placeable key only", Bytes{0xD7, 0xCD, 0xC6, 0x9A}, Refused},
        {"no bytes", Bytes{}, Refused},
        {"EMF type without its header", Bytes{1, 0, 0, 0}, Refused},
        {"EMF header of 8 bytes", with32(emf, 4, 8), Refused},
        {"5000 nested saves", deep.finish(), Refused},
        // Records lost: refused even though the records that are there could draw.
        {"WMF shorter than its header says", with32(wmf, 22 + 6, 0x7FFFFFF0), Refused},
        {"EMF shorter than its header says", with32(emf, 48, static_cast<std::int64_t>(emf.size()) + 4), Refused},
        // Records that cannot be played. Both formats read a DIB alike, and the painter's
        // pixels show object indices outside the table ignored.
        {"WMF rectangle of two words", wmfAround(0x041B, words({5, 5})), Both},
        // Counts beyond the record: 1000 points with two present.
        {"WMF polygon", wmfAround(0x0324, words({1000, 0, 0, 10, 10})), Both},
        {"WMF polypolygon", wmfAround(0x0538, words({2, 3, 0x7FFF, 0, 0})), Both},
        {"WMF text of 50 characters with one present", wmfAround(0x0521, words({50, 'a'})), Both},
        {"WMF unknown function", wmfAround(0x0999, words({1, 2, 3})), Both},
        {"WMF DIB claiming 60000 rows of which the record holds two", wmfAround(0x0F43, wmfStretchDib(tallDib, 20, 20)), Both},
        {"EMF rectangle of two values", emfAround(43, longs({5, 5})), Both},
        {"EMF polygon", emfAround(3, longs({0, 0, 0, 0, 0x40000000, 0, 0, 10, 10})), Both},
        {"EMF polypolygon16", emfAround(91, longs({0, 0, 0, 0, 0x20000000, 4, 4})), Both},
        {"EMF text offset outside the record", emfAround(84, longs({0, 0, 0, 0, 1, 0, 0, 10, 10, 5, 0x7FFF0000, 0, 0, 0, 0, 0, 0})), Both},
        {"EMF unknown type", emfAround(200, longs({1, 2, 3})), Both},
        {"EMF clip region mode 9", emfAround(75, longs({0, 9})), Both},
        {"EMF DIB of 7 bits per pixel", emfAround(81, emfStretchDib(sevenBitDib, 20, 20)), Both},
    };
    // The chain broken at the first record, a rectangle, or at the second: a size of 0, less
    // than a record header, not a whole number of EMF's 4-byte units, or past the end.
    for (const std::int64_t size : {0, 2, 26, 0x7FFFFFF0}) {
        const std::string what = " record of size " + std::to_string(size);
        cases.emplace_back("WMF first" + what, with32(wmf, 22 + 18, size), Refused);
        cases.emplace_back("WMF second" + what, with32(wmf, 22 + 18 + 14, size), Corner);
        cases.emplace_back("EMF first" + what, with32(emf, 108 + 4, size), Refused);
        cases.emplace_back("EMF second" + what, with32(emf, 108 + 4 + 24, size), Corner);
    }
    for (const auto& [what, file, drawn] : cases) {
        const auto [error, calls] = played(file);
        EXPECT_EQ(error, drawn == Refused ? err::InvalidPicture : 0) << what;
        if (drawn != Refused) {
            ASSERT_EQ(calls.size(), drawn == Both ? 2u : 1u) << what;
            EXPECT_NEAR(calls.back().at.x, drawn == Both ? 50 : 0, 0.1) << what;
            EXPECT_NEAR(calls.back().at.y, drawn == Both ? 50 : 0, 0.1) << what;
        }
    }
}

TEST(MetafileHostile, EndlessWorkIsCutShort)
{
    // Every record fills the whole picture: far beyond any real drawing's work.
    WmfWriter many(4000, 3000, 96);  // 4000 x 3000 pixels
    many.brush(0, 0).select(0);
    for (int i = 0; i < 200'000; ++i)
        many.rectangle(0, 0, 4000, 3000);
    const auto [error, calls] = played(many.finish());
    EXPECT_EQ(error, err::InvalidPicture);
    EXPECT_LT(calls.size(), 100u);  // a few dozen whole-picture fills at most

    // Skipping is work too: a file of nothing but bad records runs out of budget.
    WmfWriter bad(100, 100);
    for (int i = 0; i < 200'000; ++i)
        bad.record(0x041B, {});
    EXPECT_EQ(played(bad.finish()).error, err::InvalidPicture);
}

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

QImage render(const Bytes& f) { return renderMetafile(QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size())), 15, 15); }

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

constexpr int tw(int px) { return px * 15; }  // twips of a 96 dpi pixel

// 100 x 100 pixel pictures: in twips, with a red brush and no pen or with a 5 pixel wide
// blue pen; as an EMF in device pixels of a 96 dpi recording, with a red brush and
// NULL_PEN. Colours in the files are COLORREFs, 0x00BBGGRR.
WmfWriter redBrush() { return WmfWriter(1500, 1500).brush(0, 0x0000FF).select(0).pen(5, 0, 0).select(1); }
WmfWriter bluePen(int style = 0) { return WmfWriter(1500, 1500).pen(style, tw(5), 0xFF0000).select(0); }
EmfWriter redEmf() { return EmfWriter(hmm(100), hmm(100)).brush(1, 0, 0x0000FF).select(1).select(0x80000008); }

TEST(MetafilePainter, RecordsDrawTheirPixelsAndNoOthers)
{
    struct Probe { int x, y; QRgb colour; };
    // One scan from y 0 to 100 with the span x 0..50, in twips, as a WMF region object.
    const Values region{0, 6, 1, 0, 40, 1, 8, 0, 0, tw(50), tw(100), 2, 0, tw(100), 0, tw(50), 2};
    // A 16-bit polygon of 40 x 100 pixels.
    const Bytes poly16 = cat(longs({0, 0, 0, 0, 4}), words({0, 0, 40, 0, 40, 100, 0, 100}));
    const Bytes dib = dib2x2({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    // A red horizontal hatch, lines 8 pixels apart, on a blue background, OPAQUE or TRANSPARENT.
    const auto hatched = [](int mode) { return WmfWriter(1500, 1500).brush(2, 0x0000FF, 0).select(0).pen(5, 0, 0).select(1)
            .record(0x0201, {0, 0xFF}).record(0x0102, {mode}).rectangle(0, 0, tw(100), tw(100)).finish(); };
    const struct { const char* what; Bytes file; std::vector<Probe> probes; } cases[] = {
        {"rectangle", redBrush().rectangle(tw(10), tw(10), tw(50), tw(50)).finish(), {{30, 30, kRed}, {60, 60, kWhite}}},
        {"ellipse", redBrush().record(0x0418, {tw(100), tw(100), 0, 0}).finish(), {{50, 50, kRed}, {3, 3, kWhite}}},
        {"round rect", redBrush().record(0x061C, {tw(40), tw(40), tw(100), tw(100), 0, 0}).finish(), {{50, 50, kRed}, {1, 1, kWhite}}},
        {"polygon", redBrush().record(0x0324, {3, 0, 0, tw(100), 0, 0, tw(100)}).finish(), {{20, 20, kRed}, {80, 80, kWhite}}},
        // Pie and chord of the right half: start at the bottom, anticlockwise to the top.
        {"pie", redBrush().record(0x081A, {0, tw(50), tw(100), tw(50), tw(100), tw(100), 0, 0}).finish(), {{75, 50, kRed}, {25, 50, kWhite}}},
        {"chord", redBrush().record(0x0830, {0, tw(50), tw(100), tw(50), tw(100), tw(100), 0, 0}).finish(), {{75, 50, kRed}, {25, 50, kWhite}}},
        // An outer square with an inner one: alternate fill leaves the hole.
        {"polypolygon", redBrush().record(0x0538, {2, 4, 4, 0, 0, tw(100), 0, tw(100), tw(100), 0, tw(100), tw(25), tw(25), tw(75),
                            tw(25), tw(75), tw(75), tw(25), tw(75)}).finish(), {{10, 10, kRed}, {50, 50, kWhite}}},
        {"moveto, lineto", bluePen().record(0x0214, {tw(50), tw(10)}).record(0x0213, {tw(50), tw(90)}).finish(),
            {{50, 50, kBlue}, {50, 60, kWhite}, {95, 50, kWhite}}},
        {"polyline with a null pen", bluePen(5).record(0x0325, {2, tw(50), tw(10), tw(50), tw(90)}).finish(), {{50, 50, kWhite}}},
        // A window of 10 twips onto 100 pixels puts the triangle's corners thousands of
        // pictures away; its edge crosses the diagonal, the polyline runs down the middle.
        {"shapes reaching far outside", WmfWriter(1500, 1500).record(0x020C, {10, 10}).brush(0, 0x0000FF).select(0).pen(0, 2, 0xFF0000).select(1)
                .record(0x0324, {3, -30000, -30000, 30000, 30000, -30000, 30000}).record(0x0325, {2, 5, -30000, 5, 30000}).finish(),
            {{20, 80, kRed}, {80, 20, kWhite}, {50, 10, kBlue}, {50, 90, kBlue}}},
        // A window moved by 50 pixels moves the drawing with it; an EMF window 0..200 onto
        // the viewport 0..100 halves it.
        {"WMF window origin", redBrush().record(0x020B, {tw(50), tw(50)}).rectangle(tw(50), tw(50), tw(60), tw(60)).finish(),
            {{5, 5, kRed}, {55, 55, kWhite}}},
        {"EMF MM_ANISOTROPIC", redEmf().record(17, {8}).record(9, {200, 200}).record(11, {100, 100}).rectangle(100, 60, 150, 150).finish(),
            {{60, 50, kRed}, {40, 50, kWhite}, {60, 20, kWhite}}},
        {"a deleted slot is the first reused; indices outside the table are ignored", WmfWriter(1500, 1500).brush(0, 0x0000FF)
                .brush(0, 0x00FF00).record(0x01F0, {0}).brush(0, 0xFF0000).select(1).select(0).select(7).select(0xFFFF).record(0x01F0, {0x1234})
                .rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kBlue}}},
        // The writer numbered the objects after it counting it.
        {"an object too short to read still takes its slot", WmfWriter(1500, 1500).brush(0, 0x0000FF).record(0x02FA, {0}).brush(0, 0x00FF00)
                .select(0).select(2).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kGreen}}},
        {"EMF indices beyond the header's 16 handles are ignored", EmfWriter(hmm(100), hmm(100)).brush(1, 0, 0x00FF00).brush(16, 0, 0xFF0000)
                .brush(0x7FFFFFFF, 0, 0xFF0000).select(1).select(16).select(0x7FFFFFFF).rectangle(0, 0, 100, 100).finish(), {{50, 50, kGreen}}},
        // Keep the top-left quarter but not its corner; restoring lifts the clip and brings
        // back the red brush, and a restore with nothing saved is ignored.
        {"clip rectangles and RESTOREDC", redBrush().record(0x001E, {}).brush(0, 0xFF0000).select(2).record(0x0416, {tw(50), tw(50), 0, 0})
                .record(0x0415, {tw(20), tw(20), 0, 0}).rectangle(0, 0, tw(100), tw(60)).record(0x0127, {-1})
                .rectangle(0, tw(80), tw(100), tw(100)).record(0x0127, {-5}).finish(),
            {{30, 30, kBlue}, {10, 10, kWhite}, {75, 30, kWhite}, {75, 90, kRed}}},
        {"WMF clip region (slot 2)", redBrush().record(0x06FF, region).record(0x012C, {2}).rectangle(0, 0, tw(100), tw(100)).finish(),
            {{25, 50, kRed}, {75, 50, kWhite}}},
        {"WMF FILLREGION with brush 1", WmfWriter(1500, 1500).record(0x06FF, region).brush(0, 0xFF0000).record(0x0228, {0, 1}).finish(),
            {{25, 50, kBlue}, {75, 50, kWhite}}},
        // EXTSELECTCLIPRGN: size, mode COPY, RGNDATAHEADER, one rectangle.
        {"EMF clip region", redEmf().raw(75, longs({48, 5, 32, 1, 1, 16, 0, 0, 50, 100, 0, 0, 50, 100})).rectangle(0, 0, 100, 100).finish(),
            {{25, 50, kRed}, {75, 50, kWhite}}},
        // A path bracket with a 16-bit polygon, filled after a world transform (floats)
        // moving it 50 right.
        {"EMF path", redEmf().record(35, {0x3F800000, 0, 0, 0x3F800000, 0x42480000, 0}).record(59, {}).raw(86, poly16).record(60, {})
                .record(62, {0, 0, 0, 0}).finish(), {{70, 50, kRed}, {20, 50, kWhite}, {95, 50, kWhite}}},
        {"opaque hatch", hatched(2), {{50, 19, kRed}, {50, 27, kRed}, {50, 23, kBlue}}},
        {"transparent hatch", hatched(1), {{50, 19, kRed}, {50, 23, kWhite}}},
        {"R2_NOP", redBrush().record(0x0104, {11}).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kWhite}}},
        {"R2_BLACK", redBrush().record(0x0104, {1}).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, 0}}},
        {"STRETCHDIB", WmfWriter(1500, 1500).raw(0x0F43, wmfStretchDib(dib, tw(100), tw(100))).finish(),
            {{20, 20, kRed}, {80, 20, kGreen}, {20, 80, kBlue}, {80, 80, kYellow}}},
        {"STRETCHDIBITS", EmfWriter(hmm(100), hmm(100)).raw(81, emfStretchDib(dib, 50, 50)).finish(),
            {{10, 10, kRed}, {40, 10, kGreen}, {10, 40, kBlue}, {40, 40, kYellow}, {75, 75, kWhite}}},
    };
    for (const auto& c : cases) {
        const QImage image = render(c.file);  // opaque, at the natural size
        EXPECT_EQ(image.size(), QSize(100, 100)) << c.what;
        for (const Probe& p : c.probes)
            EXPECT_EQ(at(image, p.x, p.y), p.colour) << c.what << " at " << p.x << "," << p.y;
    }
}

// "Ñú€" in Windows-1252 through TEXTOUT, then through RUSSIAN and EASTEUROPE fonts (slots
// 0 and 1), the bytes as little-endian words; each line below its top-left reference.
TEST(MetafileText, EachFontsCharsetDecodesItsTextWhichLandsBelowItsReference)
{
    // LOGFONT: height, width, escapement, orientation, weight, italic..charset, then the face.
    const auto arial = [](int charset) { return cat(words({-tw(30), 0, 0, 0, 400, 0, charset << 8, 0, 0}), {'A', 'r', 'i', 'a', 'l', 0}); };
    const Bytes file = WmfWriter(1500, 1500).record(0x0521, {3, 0xFAD1, 0x80, tw(20), tw(10)}).raw(0x02FB, arial(204)).select(0)
            .record(0x0521, {2, 0xF0CF, tw(20), tw(10)}).raw(0x02FB, arial(238)).select(1).record(0x0521, {4, 0xF3A3, 0x9F64, tw(20), tw(10)}).finish();
    const auto [error, calls] = played(file);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].text, u"Ñú€");
    EXPECT_EQ(calls[1].text, u"Пр");
    EXPECT_EQ(calls[1].state.font.face, "Arial");
    EXPECT_EQ(calls[2].text, u"Łódź");
    const QImage image = render(file);
    int dark[2] = {};  // above the reference, below it
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            dark[y >= 20] += qGray(image.pixel(x, y)) < 100;
    EXPECT_EQ(dark[0], 0);
    EXPECT_GT(dark[1], 100);
}

}  // namespace
}  // namespace tessaron
