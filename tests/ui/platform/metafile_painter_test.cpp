// Through the QPainter canvas: the pixels where each family of records must draw.

#include "metafile/record_writer.h"
#include "ui/platform/metafile_render.h"

#include <gtest/gtest.h>

#include <QColor>

#include <string>

namespace tessaron {
namespace {

using namespace metafile;
using namespace testing;

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

QImage render(const Bytes& f) { return renderMetafile(QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size())), 15, 15); }

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
        // Two slots: 2, one past the table, is as far outside as 0xFFFF.
        {"a deleted slot is the first reused; indices outside the table are ignored", WmfWriter(1500, 1500).brush(0, 0x0000FF)
                .brush(0, 0x00FF00).record(0x01F0, {0}).brush(0, 0xFF0000).select(1).select(0).select(2).select(7).select(0xFFFF)
                .record(0x01F0, {2}).record(0x01F0, {0x1234}).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kBlue}}},
        // The writer numbered the objects after it counting it.
        {"an object too short to read still takes its slot", WmfWriter(1500, 1500).brush(0, 0x0000FF).record(0x02FA, {0}).brush(0, 0x00FF00)
                .select(0).select(2).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kGreen}}},
        {"EMF indices beyond the header's 16 handles are ignored", EmfWriter(hmm(100), hmm(100)).brush(1, 0, 0x00FF00).brush(16, 0, 0xFF0000)
                .brush(0x7FFFFFFF, 0, 0xFF0000).select(1).select(16).select(0x7FFFFFFF).record(40, {16}).select(16)
                .rectangle(0, 0, 100, 100).finish(), {{50, 50, kGreen}}},
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
        // A zigzag crossing each row a dozen times is filled in strips of rows; exclusive
        // or shows a row filled twice or not at all where two strips meet (rows 12, 50).
        {"zigzag in strips", redBrush().record(0x0104, {7}).raw(0x0324, zigzag(12, tw(100))).finish(),
            {{8, 12, kGreen | kBlue}, {8, 50, kGreen | kBlue}, {16, 50, kWhite}}},
        // A clip of any other outline than rectangles goes through a mask of its box.
        {"EMF clip path", redEmf().record(59, {}).raw(3, longs({0, 0, 0, 0, 3, 40, 40, 100, 40, 100, 100})).record(60, {})
                .record(67, {5}).rectangle(0, 0, 100, 100).finish(), {{90, 50, kRed}, {50, 90, kWhite}, {10, 10, kWhite}}},
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
            EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, p.colour) << c.what << " at " << p.x << "," << p.y;
    }
}

// "Ñú€" in Windows-1252 through TEXTOUT, then through RUSSIAN and EASTEUROPE fonts (slots
// 0 and 1), the bytes as little-endian words; each line below its top-left reference.
TEST(MetafileText, EachFontsCharsetDecodesItsTextWhichLandsBelowItsReference)
{
    const Bytes file = WmfWriter(1500, 1500).record(0x0521, {3, 0xFAD1, 0x80, tw(20), tw(10)}).raw(0x02FB, wmfFont(tw(30), "Arial", 204))
            .select(0).record(0x0521, {2, 0xF0CF, tw(20), tw(10)}).raw(0x02FB, wmfFont(tw(30), "Arial", 238)).select(1).record(0x0521, {4, 0xF3A3, 0x9F64, tw(20), tw(10)}).finish();
    const auto [error, calls, spent] = played(file);
    EXPECT_EQ(error, ErrorNumber{});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].text == u"Ñú€" && calls[1].text == u"Пр" && calls[2].text == u"Łódź");
    EXPECT_EQ(calls[1].state.font.face, "Arial");
    const QImage image = render(file);
    int dark[2] = {};  // above the reference, below it
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            dark[y >= 20] += qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(dark[0] == 0 && dark[1] > 100) << dark[0] << " above, " << dark[1] << " below";
}

}  // namespace
}  // namespace tessaron
