#include "ui/platform/picture_loader.h"
#include "metafile/record_writer.h"
#include "support/error_number.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <sys/stat.h>

namespace tessaron {
namespace {

const QString kData = QStringLiteral(TESSARON_TEST_DATA_DIR);
constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format;
    return buffer.data();
}

// Quadrants red, green / blue, white: where each ends up tells the orientation. With
// `grain`, each pixel is off its quadrant's colour by up to that much, so a pixel decoded
// from the wrong place or upsampled against the wrong neighbour shows.
QImage quadrants(int width, int height, int grain = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(12345);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = y >= height / 2 ? (x >= width / 2 ? kWhite : kBlue) : (x >= width / 2 ? kGreen : kRed);
            const int n = grain ? int(noise.bounded(grain)) : 0;
            const auto off = [n](int v) { return v ? v - n : n; };
            image.setPixel(x, y, qRgb(off(qRed(c)), off(qGreen(c)), off(qBlue(c))));
        }
    return image;
}

// A JPEG with an EXIF block that carries only the orientation, right after SOI.
QByteArray withOrientation(QByteArray jpeg, int orientation)
{
    const QByteArray app1("\xFF\xE1\0\x22" "Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 28);
    return jpeg.insert(2, app1 + char(orientation) + QByteArray(7, '\0'));
}

// Patches the first SOFn frame of a JPEG to claim another size, and with `fullColour`
// to sample the colour at full resolution (4:4:4) like the brightness.
QByteArray withFrameSize(QByteArray jpeg, int width, int height, bool fullColour = false)
{
    const qsizetype frame = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));  // baseline or progressive
    if (fullColour)
        jpeg[frame + 11] = 0x11;
    const char size[] = {char(height >> 8), char(height & 0xFF), char(width >> 8), char(width & 0xFF)};
    return jpeg.replace(frame + 5, 4, size, 4);
}

// A GIF whose screen and frame claim `width` x `height`, with one pixel of data.
QByteArray gifOf(int width, int height)
{
    const char w[] = {char(width & 0xFF), char(width >> 8)}, h[] = {char(height & 0xFF), char(height >> 8)};
    return "GIF89a" + QByteArray(w, 2) + QByteArray(h, 2) + QByteArray("\x80\0\0\0\0\0\xFF\xFF\xFF,\0\0\0\0", 14)
        + QByteArray(w, 2) + QByteArray(h, 2) + QByteArray("\0\x02\x02\x44\x01\0;", 7);
}

// A BMP's header patched to claim `width` x `height`.
QByteArray claiming(QByteArray bmp, qint32 width, qint32 height)
{
    qToLittleEndian(width, bmp.data() + 18);
    qToLittleEndian(height, bmp.data() + 22);
    return bmp;
}

// A `keep` that must not be asked; what it throws passes through the loader.
QSize never(QSize)
{
    throw std::logic_error("asked");
}

// Red wins, green wins... within JPEG's tolerance.
QRgb rounded(QRgb c)
{
    const auto bit = [](int v) { return v > 128 ? 255 : 0; };
    return qRgb(bit(qRed(c)), bit(qGreen(c)), bit(qBlue(c)));
}

class PictureLoader : public ::testing::Test {
protected:
    // Another user reads the folder in errorNumberAsPlayer.
    void SetUp() override { ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0); }

    // Grown to `size` with a hole, which takes no room on the disk.
    QString write(const QString& name, const QByteArray& bytes, qint64 size = 0)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && (size == 0 || file.resize(size)));
        return file.fileName();
    }
    QTemporaryDir dir;
};

// 481 not a picture, 53 no such file, 70 may not be read, 75 no file at all, 7 too large
// to hold: from the header alone, or short of memory on the way, where nothing else
// escapes and what fits still loads. The decoder's own memory has the pixels' budget.
TEST_F(PictureLoader, FailsWithTheNumberThatFitsTheFileOrTheMemory)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0644), 0);
    const QString secret = write("secret.bmp", encode(quadrants(8, 8), "bmp"));
    ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0), 0);
    QFile rleFile(kData + "/bmp-suite-pal4rle.bmp");
    ASSERT_TRUE(rleFile.open(QIODevice::ReadOnly));
    const QByteArray rle = rleFile.readAll(), jpeg = encode(quadrants(16, 16), "jpeg");
    QByteArray farOffset = encode(quadrants(64, 48), "bmp");
    qToLittleEndian<qint32>(0x7FFFFFF0, farOffset.data() + 10);
    const auto canvas = testing::WmfWriter(4000, 3000, 96).finish();  // 96 units an inch: a unit a pixel
    const QByteArray wmf(reinterpret_cast<const char*>(canvas.data()), qsizetype(canvas.size()));
    constexpr qint64 kMiB = 1 << 20;
    const struct {
        QString path;
        int error;               // whole and as a preview
        int part = -1;           // -1: as `error`
        qint64 headroom = 0;     // 0: no limit but the loader's own
    } cases[] = {
        {"/dev/null/missing.jpg", 53},  // through a file; a plain missing one is the dialog tests'
        {secret, 70},
        {dir.path(), 75},               // a folder
        {dir.filePath("pipe"), 75},     // no writer: must not block, like an endless device
        {write("empty.gif", {}), 481},
        {write("png.jpg", encode(quadrants(8, 8), "png")), 481},  // not one of the game's types
        {write("cut.jpg", jpeg.left(30)), 481},
        {write("magic.gif", "GIF89a and then only text"), 481},
        // A cut-short BMP is refused rather than shown with stale memory.
        {write("half-rle.bmp", rle.left(rle.size() / 2)), 481},
        {write("far-offset.bmp", farOffset), 481},
        {write("short.bmp", encode(quadrants(13, 7), "bmp").chopped(1)), 481},  // one byte short of the last row
        // More than 1 GiB of pixels, before the caller is asked what part to keep.
        {write("16385x16384.jpg", withFrameSize(jpeg, 16385, 16384)), 7},  // one column over
        {write("16385x16384.gif", gifOf(16385, 16384)), 7},
        {write("60000.bmp", claiming(rle, 60000, 60000)), 7},
        // A file too large to be any picture we accept is refused before it is read.
        {write("2GiB.jpg", jpeg, qint64{2} << 30), 7},
        // 1.5 GiB of coefficients besides the pixels: refused unless only the top is kept.
        {write("progressive-444.jpg", withFrameSize(encode(quadrants(64, 64), "jpeg", true), 16384, 16384, true)), 7,
            0},
        {write("16384x16384.gif", gifOf(16384, 16384)), 7, 0, 64 * kMiB},  // at the limit, where a part fits
        {write("8000x8000-rle.bmp", claiming(rle, 8000, 8000)), 7, 7, 32 * kMiB},  // through Qt
        {write("4000x3000.wmf", wmf), 7, 7, 32 * kMiB},  // the canvas it is drawn on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
#if defined(__SANITIZE_ADDRESS__)
        if (c.headroom > 0)
            continue;  // AddressSanitizer ends the process when an allocation fails
#endif
        const int part = c.part < 0 ? c.error : c.part;
        const auto keep = [&](QSize natural) { return part == 7 && c.headroom == 0 ? never(natural) : QSize(8, 8); };
        EXPECT_EQ(errorNumberAsPlayer([&] { loadPicture(c.path); }, c.headroom), c.error);
        EXPECT_EQ(errorNumberAsPlayer([&] { loadPreview(c.path, QSize(217, 217)); }, c.headroom), c.error);
        EXPECT_EQ(errorNumberAsPlayer([&] { loadPicturePart(c.path, keep); }, c.headroom), part);
    }
}

// Loads `path` keeping `keep` and checks it against the whole load: `keep` is asked once,
// with the whole's size, and the part is pixel for pixel the whole's top-left, exactly
// `keep` clamped to the whole and to 1 x 1 (or, unless `surelyInPart`, the whole, as
// formats not decoded in part give it).
void expectPartMatches(const QString& path, QSize keep, bool surelyInPart = true)
{
    const QImage whole = loadPicture(path);
    int asked = 0;
    const PicturePart part = loadPicturePart(path, [&](QSize natural) {
        ++asked;
        EXPECT_EQ(natural, whole.size());
        return keep;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(part.natural, whole.size());
    const QSize kept(std::clamp(keep.width(), 1, whole.width()), std::clamp(keep.height(), 1, whole.height()));
    EXPECT_TRUE(part.image.size() == kept || (!surelyInPart && part.image.size() == whole.size()));
    EXPECT_EQ(part.image, whole.copy(QRect(QPoint(), part.image.size())));
}

// A preview is decoded at a reduced size that still covers its box, never enlarged. Each
// picture is also loaded in part, exactly like the whole within the part.
TEST_F(PictureLoader, LoadsAtItsSizeInItsColours)
{
    const QImage picture = quadrants(40, 24), large = quadrants(800, 600);
    const QByteArray progressive = encode(large, "jpeg", true), big = encode(quadrants(256, 256), "jpeg", true);
    const struct {
        QString path;
        QSize size;
        QPoint at;
        QRgb colour;
        QSize box{};  // for loadPreview; none (invalid) for loadPicture
        QColor background = Qt::white;
    } cases[] = {
        // The format comes from the content, never from the name.
        {write("photo.bmp", encode(picture, "jpeg")), {40, 24}, {5, 5}, kRed},
        {write("half.jpg", big.left(big.size() / 2)), {256, 256}, {8, 8}, kRed},  // what arrived, like a viewer
        {write("gray.jpg", encode(picture.convertToFormat(QImage::Format_Grayscale8), "jpeg")), {40, 24}, {5, 20}, kBlack},
        {kData + "/cmyk-red-blue-64x32.jpg", {64, 32}, {50, 16}, kBlue},
        // Transparent pixels show the picture box's background.
        {kData + "/gif-giflib-x-trans.gif", {100, 100}, {0, 0}, 0xFFFF00FF, {}, QColor(255, 0, 255)},
        {kData + "/gif-giflib-x-trans.gif", {100, 100}, {60, 36}, kBlack, {}, QColor(255, 0, 255)},
        // Run-length (through Qt) and 32-bit (read straight) BMPs.
        {kData + "/bmp-suite-pal4rle.bmp", {127, 64}, {0, 0}, kRed},
        {kData + "/bmp-suite-rgb32.bmp", {127, 64}, {0, 0}, kRed},
        // Previews; of a progressive photo, from the first scans only.
        {write("progressive.jpg", progressive), {67, 50}, {60, 40}, kWhite, {50, 50}},
        {write("progressive-half.jpg", progressive), {400, 300}, {10, 290}, kBlue, {300, 300}},
        {write("baseline.jpg", encode(large, "jpeg")), {290, 217}, {10, 10}, kRed, {217, 217}},
        {write("picture.bmp", encode(large, "bmp")), {120, 90}, {110, 80}, kWhite, {60, 90}},
        {write("small.jpg", encode(picture, "jpeg")), {40, 24}, {35, 5}, kGreen, {217, 217}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        PictureOptions options;
        options.background = c.background;
        const QImage image = c.box.isValid() ? loadPreview(c.path, c.box, options) : loadPicture(c.path, options);
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(rounded(image.pixel(c.at)), c.colour) << "at " << c.at.x() << "," << c.at.y();
        expectPartMatches(c.path, {37, 23}, false);
    }
}

// Upright as EXIF says, whole, as a preview and in part.
TEST_F(PictureLoader, PhotoStandsUprightAndAPartIsExactlyThatPartOfTheWhole)
{
    const QImage picture = quadrants(333, 221, 48);  // odd sizes: the last iMCUs are partial
    // The colour at the upright top-left for EXIF orientations 1 to 8.
    const QRgb topLeft[] = {kRed, kGreen, kWhite, kBlue, kRed, kBlue, kWhite, kGreen};
    // Inside an iMCU, on iMCU boundaries, an edge or two within an iMCU of the whole's
    // either way up, the full width, larger than the whole, empty.
    const QSize sizes[] = {{5, 11}, {32, 48}, {218, 218}, {330, 330}, {333, 17}, {1000, 1000}, {}};
    for (const bool progressive : {false, true}) {
        const QByteArray jpeg = encode(picture, "jpeg", progressive);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(::testing::Message() << "progressive " << progressive << ", orientation " << orientation);
            const QString path = write("o.jpg", withOrientation(jpeg, orientation));
            const QImage image = loadPicture(path);
            const bool turned = orientation >= 5;
            EXPECT_EQ(image.size(), turned ? QSize(221, 333) : QSize(333, 221));
            EXPECT_EQ(rounded(image.pixel(4, 4)), topLeft[orientation - 1]);
            EXPECT_EQ(loadPreview(path, QSize(8, 8)).size(), turned ? QSize(8, 13) : QSize(13, 8));
            for (const QSize keep : sizes)
                expectPartMatches(path, keep);
        }
    }
    // Plain BMPs, which skip Qt's decoder, either way up.
    const QImage small = quadrants(13, 7, 64);
    EXPECT_EQ(loadPicture(write("up.bmp", encode(small, "bmp"))), small);
    EXPECT_EQ(loadPicture(write("down.bmp", claiming(encode(small.mirrored(), "bmp"), 13, -7))), small);
    EXPECT_THROW(loadPicturePart(kData + "/cmyk-red-blue-64x32.jpg", never), std::logic_error);  // passes through
}

}  // namespace
}  // namespace tessaron
