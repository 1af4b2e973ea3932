// Pixels where each family of records must draw, through the QPainter canvas.

#include "platform/metafile_render.h"
#include "platform/runtime_error.h"
#include "record_writer.h"

#include <gtest/gtest.h>

#include <QColor>

#include <set>

namespace tessaron {
namespace {

using testing::Bytes;
using testing::EmfWriter;
using testing::WmfWriter;

QImage render(const Bytes& file)
{
    return renderMetafile(QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size())), 15, 15);
}

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;

// A 100 x 100 pixel placeable WMF in twips (15 per pixel) with a red brush and no pen.
WmfWriter redCanvas()
{
    WmfWriter w(1500, 1500);
    w.brush(0, 0x0000FF).select(0).pen(5, 0, 0).select(1);
    return w;
}

int tw(int px)
{
    return px * 15;
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
    struct Case {
        const char* what;
        WmfWriter file;
        QPoint inside;
        QPoint outside;
    };
    std::vector<Case> cases;
    cases.push_back({"rectangle", redCanvas().rectangle(tw(10), tw(10), tw(50), tw(50)), {30, 30}, {60, 60}});
    cases.push_back({"ellipse", redCanvas().ellipse(tw(0), tw(0), tw(100), tw(100)), {50, 50}, {3, 3}});
    cases.push_back({"round rect", redCanvas().record(0x061C, {tw(40), tw(40), tw(100), tw(100), 0, 0}), {50, 50}, {1, 1}});
    cases.push_back({"polygon", redCanvas().record(0x0324, {3, 0, 0, tw(100), 0, 0, tw(100)}), {20, 20}, {80, 80}});
    // Pie of the right half: start at the bottom, anticlockwise to the top.
    cases.push_back({"pie", redCanvas().record(0x081A, {0, tw(50), tw(100), tw(50), tw(100), tw(100), 0, 0}), {75, 50}, {25, 50}});
    cases.push_back({"chord", redCanvas().record(0x0830, {0, tw(50), tw(100), tw(50), tw(100), tw(100), 0, 0}), {75, 50}, {25, 50}});
    for (Case& c : cases) {
        const QImage image = render(c.file.finish());
        EXPECT_EQ(at(image, c.inside.x(), c.inside.y()), kRed) << c.what;
        EXPECT_EQ(at(image, c.outside.x(), c.outside.y()), kWhite) << c.what;
    }
}

TEST(MetafilePainter, PolyPolygonLeavesItsHoleByAlternateFill)
{
    const Bytes file = redCanvas()
                           .record(0x0538, {2, 4, 4, 0, 0, tw(100), 0, tw(100), tw(100), 0, tw(100), tw(25), tw(25),
                                               tw(75), tw(25), tw(75), tw(75), tw(25), tw(75)})
                           .finish();
    const QImage image = render(file);
    EXPECT_EQ(at(image, 10, 10), kRed);
    EXPECT_EQ(at(image, 50, 50), kWhite);
}

TEST(MetafilePainter, PensStrokeLinesAndNullPensDoNot)
{
    // A 5 pixel wide blue pen from (10, 50) to (90, 50).
    const QImage line = render(WmfWriter(1500, 1500)
                                   .pen(0, tw(5), 0xFF0000)
                                   .select(0)
                                   .record(0x0214, {tw(50), tw(10)})
                                   .record(0x0213, {tw(50), tw(90)})
                                   .finish());
    EXPECT_EQ(at(line, 50, 50), kBlue);
    EXPECT_EQ(at(line, 50, 60), kWhite);
    EXPECT_EQ(at(line, 95, 50), kWhite);

    const QImage polyline = render(WmfWriter(1500, 1500).pen(0, tw(5), 0xFF0000).select(0)
                                       .record(0x0325, {2, tw(50), tw(10), tw(50), tw(90)})
                                       .finish());
    EXPECT_EQ(at(polyline, 50, 50), kBlue);

    const QImage none = render(WmfWriter(1500, 1500).pen(5, tw(5), 0xFF0000).select(0)
                                   .record(0x0325, {2, tw(50), tw(10), tw(50), tw(90)})
                                   .finish());
    EXPECT_EQ(at(none, 50, 50), kWhite);
}

TEST(MetafilePainter, ShapesReachingFarOutsideKeepTheirVisiblePart)
{
    // A window of 10 twips onto 100 pixels: the triangle's corners lie thousands of
    // pictures away, its edge crosses the picture's diagonal.
    WmfWriter w(1500, 1500);
    w.record(0x020C, {10, 10}).brush(0, 0x0000FF).select(0).pen(0, 2, 0xFF0000).select(1);
    w.record(0x0324, {3, -30000, -30000, 30000, 30000, -30000, 30000});
    w.record(0x0325, {2, 5, -30000, 5, 30000});  // a vertical blue line down the middle
    const QImage image = render(w.finish());
    EXPECT_EQ(at(image, 20, 80), kRed);    // below the diagonal: inside
    EXPECT_EQ(at(image, 80, 20), kWhite);  // above it: outside
    EXPECT_EQ(at(image, 50, 10), kBlue);
    EXPECT_EQ(at(image, 50, 90), kBlue);
}

TEST(MetafilePainter, ClipRectanglesLimitDrawingAndRestoreDcLiftsThem)
{
    const QImage image = render(redCanvas()
                                    .record(0x001E, {})
                                    .record(0x0416, {tw(50), tw(50), 0, 0})     // keep the top-left quarter
                                    .record(0x0415, {tw(20), tw(20), 0, 0})     // but not its corner
                                    .rectangle(0, 0, tw(100), tw(60))
                                    .record(0x0127, {0xFFFF})
                                    .rectangle(0, tw(80), tw(100), tw(100))
                                    .finish());
    EXPECT_EQ(at(image, 30, 30), kRed);
    EXPECT_EQ(at(image, 10, 10), kWhite);
    EXPECT_EQ(at(image, 75, 30), kWhite);
    EXPECT_EQ(at(image, 75, 90), kRed);
}

TEST(MetafilePainter, WmfRegionsClipAndFill)
{
    // One scan from y 0 to 100 with the span x 0..50, in twips.
    const Bytes region = redCanvas()
                             .record(0x06FF, {0, 6, 1, 0, 40, 1, 8, 0, 0, tw(50), tw(100), 2, 0, tw(100), 0, tw(50), 2})
                             .record(0x012C, {2})  // slots 0 and 1 hold the brush and the pen
                             .rectangle(0, 0, tw(100), tw(100))
                             .finish();
    const QImage clipped = render(region);
    EXPECT_EQ(at(clipped, 25, 50), kRed);
    EXPECT_EQ(at(clipped, 75, 50), kWhite);

    const Bytes filled = WmfWriter(1500, 1500)
                             .record(0x06FF, {0, 6, 1, 0, 40, 1, 8, 0, 0, tw(50), tw(100), 2, 0, tw(100), 0, tw(50), 2})
                             .brush(0, 0xFF0000)
                             .record(0x0228, {0, 1})  // FILLREGION: region 0 with brush 1
                             .finish();
    const QImage image = render(filled);
    EXPECT_EQ(at(image, 25, 50), kBlue);
    EXPECT_EQ(at(image, 75, 50), kWhite);
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
    const std::set<QRgb> opaque = colours(2), transparent = colours(1);
    EXPECT_TRUE(opaque.count(kRed) && opaque.count(kBlue));
    EXPECT_TRUE(transparent.count(kRed) && transparent.count(kWhite));
    EXPECT_FALSE(transparent.count(kBlue));
}

TEST(MetafilePainter, Rop2NopAndBlackChangeWhatIsDrawn)
{
    const QImage nop = render(redCanvas().record(0x0104, {11}).rectangle(0, 0, tw(100), tw(100)).finish());
    EXPECT_EQ(at(nop, 50, 50), kWhite);
    const QImage black = render(redCanvas().record(0x0104, {1}).rectangle(0, 0, tw(100), tw(100)).finish());
    EXPECT_EQ(at(black, 50, 50), 0u);
}

TEST(MetafilePainter, TextLandsBelowItsTopLeftReference)
{
    Bytes text{4, 0, 'M', 'M', 'M', 'M', static_cast<std::uint8_t>(tw(20) & 0xFF), static_cast<std::uint8_t>(tw(20) >> 8),
        static_cast<std::uint8_t>(tw(10) & 0xFF), static_cast<std::uint8_t>(tw(10) >> 8)};
    const QImage image = render(WmfWriter(1500, 1500).font(-tw(30), "DejaVu Sans").select(0).raw(0x0521, text).finish());
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

TEST(MetafilePainter, StretchDibScalesTheBitmapOntoItsRectangle)
{
    Bytes p;
    testing::put32(p, 0x00CC0020);
    for (int v : {0, 2, 2, 0, 0, tw(100), tw(100), 0, 0})
        testing::put16(p, v);
    const Bytes dib = testing::dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    p.insert(p.end(), dib.begin(), dib.end());
    const QImage image = render(WmfWriter(1500, 1500).raw(0x0F43, p).finish());
    EXPECT_EQ(at(image, 20, 20), kRed);
    EXPECT_EQ(at(image, 80, 20), 0x00FF00u);
    EXPECT_EQ(at(image, 20, 80), kBlue);
    EXPECT_EQ(at(image, 80, 80), 0xFFFF00u);
}

TEST(MetafilePainter, EmfPathsWorldTransformsAndSmallPolygons)
{
    const int side = testing::hmm(100);
    // A path bracket with a 16-bit polygon, filled after a world translation of 50.
    Bytes xform;
    for (float f : {1.f, 0.f, 0.f, 1.f, 50.f, 0.f})
        testing::putFloat(xform, f);
    Bytes poly16;
    for (int v : {0, 0, 0, 0})
        testing::put32(poly16, v);
    testing::put32(poly16, 4);
    for (int v : {0, 0, 40, 0, 40, 100, 0, 100})
        testing::put16(poly16, v);
    const QImage image = render(EmfWriter(side, side)
                                    .brush(1, 0, 0x0000FF)
                                    .select(1)
                                    .select(0x80000008)  // NULL_PEN
                                    .raw(35, xform)
                                    .record(59, {})
                                    .raw(86, poly16)
                                    .record(60, {})
                                    .record(62, {0, 0, 0, 0})
                                    .finish());
    EXPECT_EQ(at(image, 70, 50), kRed);
    EXPECT_EQ(at(image, 20, 50), kWhite);
    EXPECT_EQ(at(image, 95, 50), kWhite);
}

TEST(MetafilePainter, EmfClipRegionAndSelectClipPath)
{
    const int side = testing::hmm(100);
    Bytes region;
    for (std::int64_t v : {48, 5, 32, 1, 1, 16, 0, 0, 50, 100, 0, 0, 50, 100})
        testing::put32(region, v);  // size, mode COPY, RGNDATAHEADER, one rectangle
    const QImage image = render(EmfWriter(side, side)
                                    .brush(1, 0, 0x0000FF)
                                    .select(1)
                                    .select(0x80000008)
                                    .raw(75, region)
                                    .rectangle(0, 0, 100, 100)
                                    .finish());
    EXPECT_EQ(at(image, 25, 50), kRed);
    EXPECT_EQ(at(image, 75, 50), kWhite);
}

TEST(MetafilePainter, EmfStretchDiBitsPlacesTheBitmap)
{
    const int side = testing::hmm(100);
    const Bytes dib = testing::dib24(1, 1, {0x00FF00});
    Bytes p;
    for (std::int64_t v : {0, 0, 0, 0, 0, 0, 0, 0, 1, 1})
        testing::put32(p, v);  // bounds, dest x y, src x y, src w h
    const std::int64_t bmiOffset = 8 + 72;
    for (std::int64_t v : std::initializer_list<std::int64_t>{bmiOffset, 40, bmiOffset + 40, static_cast<std::int64_t>(dib.size()) - 40, 0, 0x00CC0020, 50, 50})
        testing::put32(p, v);
    p.insert(p.end(), dib.begin(), dib.end());
    const QImage image = render(EmfWriter(side, side).raw(81, p).finish());
    EXPECT_EQ(at(image, 25, 25), 0x00FF00u);
    EXPECT_EQ(at(image, 75, 75), kWhite);
}

TEST(MetafilePainter, HostileFilesGive481)
{
    Bytes zero = WmfWriter(1500, 1500).rectangle(0, 0, 10, 10).finish();
    testing::set32(zero, 22 + 18, 0);
    for (const Bytes& file : {zero, Bytes{1, 0, 0, 0}, Bytes{}}) {
        try {
            render(file);
            ADD_FAILURE() << "rendered";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::InvalidPicture);
        }
    }
}

}  // namespace
}  // namespace tessaron
