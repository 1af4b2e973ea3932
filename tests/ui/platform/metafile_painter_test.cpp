// Pixels where each family of records must draw, through the QPainter canvas.

#include "ui/platform/metafile_render.h"
#include "metafile/record_writer.h"

#include <gtest/gtest.h>

#include <QColor>

#include <set>

namespace tessaron {
namespace {

using testing::Bytes;
using testing::EmfWriter;
using testing::WmfWriter;

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

QImage render(const Bytes& file)
{
    return renderMetafile(QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size())), 15, 15);
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

struct Probe { int x, y; QRgb colour; };

void expectPixels(const char* what, const Bytes& file, std::initializer_list<Probe> probes)
{
    const QImage image = render(file);
    for (const Probe& p : probes)
        EXPECT_EQ(at(image, p.x, p.y), p.colour) << what << " at " << p.x << "," << p.y;
}

constexpr int tw(int px) { return px * 15; }  // twips of a 96 dpi pixel

// A 100 x 100 pixel placeable WMF in twips (15 per pixel) with a red brush and no pen.
WmfWriter redCanvas()
{
    WmfWriter w(1500, 1500);
    w.brush(0, 0x0000FF).select(0).pen(5, 0, 0).select(1);
    return w;
}

// A 100 x 100 pixel picture with a 5 pixel wide blue pen, solid unless asked.
WmfWriter bluePen(int style = 0)
{
    WmfWriter w(1500, 1500);
    w.pen(style, tw(5), 0xFF0000).select(0);
    return w;
}

// The same as an EMF, in device pixels of a 96 dpi recording.
EmfWriter redEmf()
{
    EmfWriter w(testing::hmm(100), testing::hmm(100));
    w.brush(1, 0, 0x0000FF).select(1).select(0x80000008);  // NULL_PEN
    return w;
}

TEST(MetafilePainter, PictureIsOpaqueWhiteAtItsNaturalSize)
{
    const QImage image = render(WmfWriter(1500, 750).finish());
    EXPECT_EQ(image.size(), QSize(100, 50));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(at(image, 50, 25), kWhite);
}

TEST(MetafilePainter, WmfShapesFillTheirInsideOnly)
{
    expectPixels("rectangle", redCanvas().rectangle(tw(10), tw(10), tw(50), tw(50)).finish(), {{30, 30, kRed}, {60, 60, kWhite}});
    expectPixels("ellipse", redCanvas().record(0x0418, {tw(100), tw(100), 0, 0}).finish(), {{50, 50, kRed}, {3, 3, kWhite}});
    expectPixels("round rect", redCanvas().record(0x061C, {tw(40), tw(40), tw(100), tw(100), 0, 0}).finish(), {{50, 50, kRed}, {1, 1, kWhite}});
    expectPixels("polygon", redCanvas().record(0x0324, {3, 0, 0, tw(100), 0, 0, tw(100)}).finish(), {{20, 20, kRed}, {80, 80, kWhite}});
    // Pie and chord of the right half: start at the bottom, anticlockwise to the top.
    for (int function : {0x081A, 0x0830})
        expectPixels("pie, chord", redCanvas().record(function, {0, tw(50), tw(100), tw(50), tw(100), tw(100), 0, 0}).finish(),
            {{75, 50, kRed}, {25, 50, kWhite}});
    // An outer square with an inner one: alternate fill leaves the hole.
    expectPixels("polypolygon",
        redCanvas()
            .record(0x0538, {2, 4, 4, 0, 0, tw(100), 0, tw(100), tw(100), 0, tw(100), tw(25), tw(25), tw(75), tw(25), tw(75), tw(75), tw(25), tw(75)})
            .finish(),
        {{10, 10, kRed}, {50, 50, kWhite}});
}

TEST(MetafilePainter, PensStrokeLinesAndNullPensDoNot)
{
    // From (10, 50) to (90, 50).
    expectPixels("lineto", bluePen().record(0x0214, {tw(50), tw(10)}).record(0x0213, {tw(50), tw(90)}).finish(),
        {{50, 50, kBlue}, {50, 60, kWhite}, {95, 50, kWhite}});
    expectPixels("polyline", bluePen().record(0x0325, {2, tw(50), tw(10), tw(50), tw(90)}).finish(), {{50, 50, kBlue}});
    expectPixels("null pen", bluePen(5).record(0x0325, {2, tw(50), tw(10), tw(50), tw(90)}).finish(), {{50, 50, kWhite}});
}

TEST(MetafilePainter, ShapesReachingFarOutsideKeepTheirVisiblePart)
{
    // A window of 10 twips onto 100 pixels: the triangle's corners lie thousands of
    // pictures away, its edge crosses the picture's diagonal.
    WmfWriter w(1500, 1500);
    w.record(0x020C, {10, 10}).brush(0, 0x0000FF).select(0).pen(0, 2, 0xFF0000).select(1);
    w.record(0x0324, {3, -30000, -30000, 30000, 30000, -30000, 30000});
    w.record(0x0325, {2, 5, -30000, 5, 30000});  // a vertical blue line down the middle
    // Below the diagonal inside, above it outside.
    expectPixels("far", w.finish(), {{20, 80, kRed}, {80, 20, kWhite}, {50, 10, kBlue}, {50, 90, kBlue}});
}

TEST(MetafilePainter, ClipRectanglesAndRegionsLimitDrawingAndRestoreDcLiftsThemAndBringsBackObjects)
{
    // Restoring brings back the red brush too, and a restore with nothing saved is ignored.
    expectPixels("clip rectangles",
        redCanvas()
            .record(0x001E, {})
            .brush(0, 0xFF0000)
            .select(2)
            .record(0x0416, {tw(50), tw(50), 0, 0})  // keep the top-left quarter
            .record(0x0415, {tw(20), tw(20), 0, 0})  // but not its corner
            .rectangle(0, 0, tw(100), tw(60))
            .record(0x0127, {0xFFFF})  // -1
            .rectangle(0, tw(80), tw(100), tw(100))
            .record(0x0127, {0xFFFB})  // -5
            .finish(),
        {{30, 30, kBlue}, {10, 10, kWhite}, {75, 30, kWhite}, {75, 90, kRed}});

    // One scan from y 0 to 100 with the span x 0..50, in twips.
    const std::initializer_list<int> region{0, 6, 1, 0, 40, 1, 8, 0, 0, tw(50), tw(100), 2, 0, tw(100), 0, tw(50), 2};
    expectPixels("WMF clip region",
        redCanvas().record(0x06FF, region).record(0x012C, {2}).rectangle(0, 0, tw(100), tw(100)).finish(),  // slot 2
        {{25, 50, kRed}, {75, 50, kWhite}});
    expectPixels("WMF FILLREGION with brush 1",
        WmfWriter(1500, 1500).record(0x06FF, region).brush(0, 0xFF0000).record(0x0228, {0, 1}).finish(),
        {{25, 50, kBlue}, {75, 50, kWhite}});

    // EXTSELECTCLIPRGN: size, mode COPY, RGNDATAHEADER, one rectangle.
    Bytes emfRegion;
    testing::put32(emfRegion, {48, 5, 32, 1, 1, 16, 0, 0, 50, 100, 0, 0, 50, 100});
    expectPixels("EMF clip region", redEmf().raw(75, emfRegion).rectangle(0, 0, 100, 100).finish(), {{25, 50, kRed}, {75, 50, kWhite}});
}

TEST(MetafilePainter, HatchesShowTheBackgroundColourOnlyWhenOpaque)
{
    const auto colours = [](int mode) {
        const QImage image = render(WmfWriter(1500, 1500)
                                        .brush(2, 0x0000FF, 0)  // red horizontal hatch
                                        .select(0)
                                        .pen(5, 0, 0)
                                        .select(1)
                                        .record(0x0201, {0, 0xFF})  // background blue
                                        .record(0x0102, {mode})
                                        .rectangle(0, 0, tw(100), tw(100))
                                        .finish());
        std::set<QRgb> seen;
        for (int y = 10; y < 30; ++y)
            seen.insert(at(image, 50, y));
        return seen;
    };
    EXPECT_EQ(colours(2), (std::set<QRgb>{kRed, kBlue}));  // OPAQUE
    EXPECT_EQ(colours(1), (std::set<QRgb>{kRed, kWhite}));  // TRANSPARENT
}

TEST(MetafilePainter, Rop2NopAndBlackChangeWhatIsDrawn)
{
    expectPixels("R2_NOP", redCanvas().record(0x0104, {11}).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, kWhite}});
    expectPixels("R2_BLACK", redCanvas().record(0x0104, {1}).rectangle(0, 0, tw(100), tw(100)).finish(), {{50, 50, 0}});
}

TEST(MetafilePainter, TextLandsBelowItsTopLeftReference)
{
    WmfWriter w(1500, 1500);
    w.font(-tw(30), "DejaVu Sans").select(0).record(0x0521, {4, 'M' | 'M' << 8, 'M' | 'M' << 8, tw(20), tw(10)});
    const QImage image = render(w.finish());
    int dark = 0, darkAbove = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (qGray(image.pixel(x, y)) < 100)
                ++(y < 20 ? darkAbove : dark);
        }
    }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(darkAbove, 0);
}

TEST(MetafilePainter, BitmapsAreScaledOntoTheirRectangle)
{
    Bytes wmf;
    testing::put32(wmf, {0x00CC0020});
    testing::put16(wmf, {0, 2, 2, 0, 0, tw(100), tw(100), 0, 0});
    const Bytes dib = testing::dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    wmf.insert(wmf.end(), dib.begin(), dib.end());
    expectPixels("STRETCHDIB", WmfWriter(1500, 1500).raw(0x0F43, wmf).finish(),
        {{20, 20, kRed}, {80, 20, kGreen}, {20, 80, kBlue}, {80, 80, kYellow}});

    // EMR_STRETCHDIBITS: bounds, dest x y, src x y, src w h, then the bitmap's offsets,
    // usage, raster operation and the destination size.
    const Bytes green = testing::dib24(1, 1, {0x00FF00});
    Bytes emf;
    testing::put32(emf, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80, 40, 120, static_cast<std::int64_t>(green.size()) - 40, 0, 0x00CC0020, 50, 50});
    emf.insert(emf.end(), green.begin(), green.end());
    expectPixels("STRETCHDIBITS", EmfWriter(testing::hmm(100), testing::hmm(100)).raw(81, emf).finish(), {{25, 25, kGreen}, {75, 75, kWhite}});
}

TEST(MetafilePainter, EmfPathsWorldTransformsAndSmallPolygons)
{
    // A path bracket with a 16-bit polygon, filled after a world translation of 50.
    Bytes poly16;
    testing::put32(poly16, {0, 0, 0, 0, 4});
    testing::put16(poly16, {0, 0, 40, 0, 40, 100, 0, 100});
    expectPixels("path", redEmf().translate(50, 0).record(59, {}).raw(86, poly16).record(60, {}).record(62, {0, 0, 0, 0}).finish(),
        {{70, 50, kRed}, {20, 50, kWhite}, {95, 50, kWhite}});
}

}  // namespace
}  // namespace tessaron
